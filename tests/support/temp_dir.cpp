#include "temp_dir.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = dir + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(full + "\\");
            else DeleteFileA(full.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

TempDir::TempDir() {
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    std::ostringstream name;
    name << base << "kvtest_" << GetCurrentProcessId() << "_" << ++counter << "_" << GetTickCount() << "\\";
    path_ = name.str();
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() { removeTree(path_); }

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
