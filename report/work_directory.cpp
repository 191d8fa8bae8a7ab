#include "work_directory.h"

#include <windows.h>

#include <vector>

std::string withTrailingBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path.push_back('\\');
    return path;
}

std::string chooseWorkDirectory(const WorkDirectoryInputs& in) {
    const std::string current = withTrailingBackslash(in.currentDirectory);
    for (const char* name : {"TEMP", "TMP"}) {
        if (auto value = in.environment(name)) return withTrailingBackslash(*value);
    }
    if (auto root = in.environment("SystemRoot")) {
        std::string candidate = *root + "\\temp\\";
        if (in.changeDirectory(candidate)) return candidate;
        return current;
    }
    return current;
}

namespace {

std::optional<std::string> readEnvironment(const char* name) {
    // 32,767 characters is the largest value the environment block can hold.
    std::vector<char> buffer(32768);
    SetLastError(0);
    const DWORD n = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    if (n >= buffer.size()) return std::nullopt;
    return std::string(buffer.data(), n);
}

std::string currentDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    // A current directory longer than MAX_PATH cannot be put into a work-file
    // name in full; "." still names it.
    if (n == 0 || n >= MAX_PATH) return ".";
    return std::string(buffer, n);
}

}  // namespace

std::string workDirectory() {
    WorkDirectoryInputs in;
    in.environment = readEnvironment;
    in.currentDirectory = currentDirectory();
    in.changeDirectory = [](const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; };
    return chooseWorkDirectory(in);
}
