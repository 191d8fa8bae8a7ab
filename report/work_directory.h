// Where every temporary file of the program lives.
#pragma once

#include <functional>
#include <optional>
#include <string>

struct WorkDirectoryInputs {
    std::function<std::optional<std::string>(const char* name)> environment;
    std::string currentDirectory;                       // as the system reported it
    std::function<bool(const std::string&)> changeDirectory;  // tries to make a path current
};

// The rules, given the environment and the current directory: TEMP, else
// TMP, else SystemRoot's "temp" folder when it can be entered, else the
// current directory; always with a trailing backslash.
std::string chooseWorkDirectory(const WorkDirectoryInputs& in);

// The work directory of this process, read afresh from the environment.
std::string workDirectory();

std::string withTrailingBackslash(std::string path);
