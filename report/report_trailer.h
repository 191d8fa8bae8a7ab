// The closing block of every report (no window calls: the hive dump's result
// text is composed with it natively too).
#pragma once

const char* reportTrailer();
