#include "registry_read.h"

#include <cstring>

bool RegKey::open(HKEY root, const char* path, REGSAM access) {
    reset();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
}

bool readRegistryString(HKEY root, const char* keyPath, const char* valueName, std::string& out) {
    RegKey key;
    if (!key.open(root, keyPath, KEY_READ)) return false;
    char buffer[256] = {};
    DWORD size = 255;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    // The stored text need not carry its terminator.
    out.assign(buffer, strnlen(buffer, size));
    return true;
}
