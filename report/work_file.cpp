#include "work_file.h"

#include "work_directory.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <ctime>

namespace {

std::string formatName(const char* pattern, const std::string& directory, int number, int index) {
    const int n = std::snprintf(nullptr, 0, pattern, directory.c_str(), number, index);
    if (n < 0) return {};
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, directory.c_str(), number, index);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

bool workFileNameTaken(const std::string& path) {
    // A name that can be opened is in use; so is one that still exists but
    // cannot be opened (a file another process is just letting go of, whose
    // deletion is pending): creating it would fail.
    if (fileCanBeRead(path)) return true;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool fileCanBeRead(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool readWholeFile(const std::string& path, std::string& out) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    out.clear();
    bool ok = true;
    try {
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    } catch (const std::bad_alloc&) {
        out = std::string();
        ok = false;
    }
    CloseHandle(h);
    return ok;
}

std::string chooseWorkFileName(const char* pattern, const std::string& directory,
                               const std::function<int()>& random,
                               const std::function<bool(const std::string&)>& exists) {
    std::string name;
    for (int i = 0; i < 1000; ++i) {
        name = formatName(pattern, directory, random(), i);
        if (!exists(name)) return name;
    }
    return name;
}

std::string makeWorkFileName(const char* pattern) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return chooseWorkFileName(pattern, workDirectory(), [] { return std::rand(); }, workFileNameTaken);
}
