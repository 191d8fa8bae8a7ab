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

std::optional<std::string> readTextValue(HKEY key, const char* valueName) {
    constexpr DWORD kMostBytes = 65536;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMostBytes)
        return std::nullopt;
    std::string buffer(size + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || got > size)
        return std::nullopt;
    // The stored text need not carry its terminator.
    buffer.resize(strnlen(buffer.data(), got));
    return buffer;
}

std::optional<DWORD> readDwordValue(HKEY key, const char* valueName) {
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::vector<std::string> subkeyNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        // Key names are at most 255 characters.
        char name[256] = {};
        DWORD size = sizeof name;
        const LONG result = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        names.emplace_back(name, strnlen(name, size));
    }
    return names;
}
