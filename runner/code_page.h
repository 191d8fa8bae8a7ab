// Batch files are read by the command interpreter in the OEM code page,
// while the program's texts (folder paths among them) are in the ANSI one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Converts a text in place between the ANSI and the OEM code page.
using CodePageConversion = void (*)(std::string&);

// The batch text as the command interpreter reads a batch file: in the OEM
// code page. Nothing when a character has no place there: the interpreter
// would be sent to another file or folder than the one named.
std::optional<std::string> inOemCodePage(std::string_view text, CodePageConversion toOem,
                                         CodePageConversion toAnsi);

void ansiToOemInPlace(std::string& text);
