// Text of this Windows comes in its ANSI code page; the inventory is sent in
// UTF-8, reached through UTF-16.
#pragma once

#include <string>
#include <string_view>

// Turns ANSI text into UTF-16 (one unit per wchar_t element, whatever the
// width of wchar_t), so that tests and other code pages can stand in.
using AnsiDecoder = std::wstring (*)(std::string_view ansi);

// The system's ANSI code page (MultiByteToWideChar, which Windows 95 has;
// it has no conversion to UTF-8, so that side is our own).
std::wstring systemAnsiDecoder(std::string_view ansi);
