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

// The short (8.3) form of an existing path; nothing when it has none.
using ShortPathLookup = std::optional<std::string> (*)(const std::string& path);
std::optional<std::string> systemShortPath(const std::string& path);

// A folder as a batch line must name it: in the OEM code page, or, where a
// letter of it has no place there, by the folder's short name (made of
// letters the code page has). Nothing when neither names it.
std::optional<std::string> batchFolderName(const std::string& folder, CodePageConversion toOem,
                                           CodePageConversion toAnsi, ShortPathLookup shortPath);
