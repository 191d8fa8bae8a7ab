// This test program's own path, and paths compared as the module listing
// writes them (upper case).
#pragma once

#include <windows.h>

#include <string>

inline std::string upper(std::string text) {
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

inline std::string thisProgram() {
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
}
