// Bounded printf-style formatting and the line-end rules of the report.
#pragma once

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

// Formats into a buffer that starts at `initial` bytes and grows by `step`
// while it stays below `limit`; nullopt when the text never fits.
std::optional<std::string> formatGrowing(size_t initial, size_t step, size_t limit, const char* format,
                                         va_list args);

// Formats into one fixed buffer of `size` bytes, cutting the text to size - 1.
std::string formatCut(size_t size, const char* format, va_list args);

// Every "\n" becomes "\r\n" (so an existing "\r\n" becomes "\r\r\n").
std::string expandLineFeeds(std::string_view text);

// Doubles every "%" so the text can pass through a printf-style writer untouched.
std::string doublePercent(std::string_view text);
