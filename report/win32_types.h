// The few Windows types, constants and multi-byte string calls that the pure
// parsing and formatting code uses. The product and its tests take them from
// the Windows headers; the native build of the fuzz targets (clang on Linux,
// no Windows headers) takes the same names and values from here, so that code
// compiles unchanged on both.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <mbstring.h>

#else

#include <cstddef>
#include <cstdint>
#include <cstring>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;

// Registry value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_RESOURCE_LIST = 8;

// Virtual keys.
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;

// The runtime's multi-byte calls as they behave in a single-byte code page
// whose upper case letters are those of ASCII.
inline unsigned char* _mbslwr(unsigned char* text) {
    for (unsigned char* p = text; *p != 0; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<unsigned char>(*p - 'A' + 'a');
    return text;
}

inline const unsigned char* _mbsstr(const unsigned char* text, const unsigned char* pattern) {
    return reinterpret_cast<const unsigned char*>(
        std::strstr(reinterpret_cast<const char*>(text), reinterpret_cast<const char*>(pattern)));
}

#endif
