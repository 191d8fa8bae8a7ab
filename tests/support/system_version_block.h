// A file's whole version resource as the system hands it out, for tests that
// check a reader, or a built program, against the system's own lookup.
#pragma once

#include <windows.h>

#include <string>

// Empty when the file has no version resource or cannot be read.
inline std::string systemVersionBlock(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return {};
    std::string block(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
    return block;
}
