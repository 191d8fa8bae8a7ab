// The texts the IE report makes from registry values: a profile's user name,
// a shell folder written against %USERPROFILE%, and the batch lines that find
// the cache's "Content*" folder. Pure: text in, text out.
//
// Every value comes from the machine's registry and is untrusted; the batch
// text in particular must never let a folder name run a command of its own.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace iepaths {
inline constexpr std::string_view kUserProfileVariable = "%USERPROFILE%";
} // namespace iepaths

// The last component of a profile's "ProfileImagePath" (the whole value when
// it holds no backslash).
std::string profileUserName(std::string_view imagePath);

// A shell folder value that names %USERPROFILE%, rebuilt for another user:
// the USERPROFILE of this process up to and including its last backslash,
// `userName`, a backslash and the value after its first backslash. Nothing
// when USERPROFILE holds no backslash (no parent folder to put the user in).
std::optional<std::string> otherUsersFolder(std::string_view value, std::string_view userProfile,
                                            std::string_view userName);

// The folder as one double-quoted batch argument, inside which "&", "|",
// "<", ">", "^" and blanks are plain characters. Nothing for what no quoting
// can hold: a quote, a control character (a line break would start a
// command), a percent sign (a batch file expands %NAME% even inside quotes,
// and some interpreters expand the folder's name again when it comes back
// as %CD%, so a variable could bring quotes and "&" of its own), an empty name.
std::optional<std::string> quotedBatchArgument(std::string_view folder);

// The batch lines whose "env_olddir" names the "Content*" folder below
// `cacheFolder`; nothing when the folder cannot be quoted safely. The folder
// found comes back through %CD%, so the line that stores it quotes it too.
std::optional<std::string> contentFolderBatch(std::string_view cacheFolder);

// The Content folder as the interpreter named it, when that folder exists.
// Some interpreters write the name in the ANSI code page where the runner
// expects OEM, which garbles letters outside ASCII; the Content folder's own
// name survives, and it lies right below the cache folder we know.
std::string foundContentFolder(const std::string& found, std::string_view cacheFolder,
                               const std::function<bool(const std::string&)>& folderExists);

// The runner hands values back with every "%" doubled; the path itself has them single.
std::string undoubledPercents(std::string_view text);
