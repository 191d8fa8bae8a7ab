// Pure pieces of the task driver: the texts it shows and composes. Built
// natively too (the work-file load's fuzz target): no Windows headers here.
#pragma once

#include "resources/version.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace driver {
inline constexpr const char* kWelcome =
    "Korvexer.exe -> Displays your Windows environment and "
    "variables.\r\n\r\n\r\nVersion: " KORVEXER_VERSION_REPORT_TEXT "\r\n\r\n\r\n";
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
