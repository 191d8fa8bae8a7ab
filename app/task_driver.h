// Pure pieces of the task driver: the texts it shows and composes.
#pragma once

#include "task_life.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace driver {
inline constexpr const char* kWelcome =
    "Korvexer.exe -> Displays your Windows environment and variables.\r\n\r\n\r\nVersion: 1.1.00\r\n\r\n\r\n";
inline constexpr const char* kCollectHeading = "\r\n\r\nGetting Common Windows Environment .. \r\n\r\n";
inline constexpr const char* kPoliciesHeading = "\r\n\r\nGetting policies data .. \r\n\r\n";
} // namespace driver

// The text a finished hive dump shows: the header, "\r\n", each line of the
// file (read as a text stream: CR LF is one line end) followed by "\r\n", and
// the report trailer.
std::string composeHiveResult(std::string_view header, std::string_view fileBytes);

// True when the view holds less than it was given and too little to be a result.
bool viewRefusedText(size_t viewLength, size_t loadedLength);

// The collector's result as shown: the file's text up to its first zero byte
// (cut in place: the text may be the whole report).
void cutAtFirstZero(std::string& text);

// The ticks a finished hive dump has waited for its load. Counted per task:
// a dump that never loads (a Clear ended it during the wait) leaves nothing
// for the next one.
struct LoadWait {
    TaskLife::Ticket ticket = 0;
    uint8_t ticks = 0;
};
enum class LoadStep { Wait, Load, WaitThenLoad };
// One tick of task `ticket`'s wait: from Windows XP on the result loads at
// once; before XP only after more than 40 ticks, and then after a pause of
// its own (WaitThenLoad). `firstTick` is set on the task's first tick.
LoadStep hiveLoadStep(LoadWait& wait, TaskLife::Ticket ticket, bool newerWindows, bool& firstTick);
