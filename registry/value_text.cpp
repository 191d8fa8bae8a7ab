#include "value_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The text up to its first zero byte, never past `size`.
std::string boundedText(const BYTE* data, DWORD size) {
    // No data may come as no buffer at all (an empty vector's).
    if (size == 0) return {};
    const char* p = reinterpret_cast<const char*>(data);
    return std::string(p, strnlen(p, size));
}

std::string hexDword(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08lx", static_cast<unsigned long>(value));
    return buffer;
}

DWORD dwordAt(const BYTE* data, DWORD size, bool bigEndian) {
    BYTE b[4] = {0, 0, 0, 0};
    if (size > 0) std::memcpy(b, data, size < 4 ? size : 4);
    if (bigEndian) return (DWORD(b[0]) << 24) | (DWORD(b[1]) << 16) | (DWORD(b[2]) << 8) | DWORD(b[3]);
    return DWORD(b[0]) | (DWORD(b[1]) << 8) | (DWORD(b[2]) << 16) | (DWORD(b[3]) << 24);
}

std::string binaryDump(const BYTE* data, DWORD size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(std::min<size_t>(size * 3 + size / 16 * 3 + 8, regfmt::kDumpStop + 8));
    for (DWORD i = 0; i < size; ++i) {
        if (i % 16 == 0 && i + 1 < size && out.size() < regfmt::kDumpStop) out += "\n\t ";
        if (out.size() < regfmt::kDumpStop) {
            out += digits[data[i] >> 4];
            out += digits[data[i] & 15];
            out += ' ';
        }
    }
    return out;
}

std::string multiString(const BYTE* data, DWORD size) {
    std::string out = "\n";
    const char* p = reinterpret_cast<const char*>(data);
    size_t at = 0;
    while (at < size) {
        const size_t n = strnlen(p + at, size - at);
        if (n == 0) break;
        out += '\t';
        out.append(p + at, n);
        out += '\n';
        at += n + 1;
    }
    return out;
}

} // namespace

std::string renderValue(const BYTE* data, DWORD type, DWORD size) {
    std::string text;
    switch (type) {
    case REG_NONE:
        text = "Undefined value type";
        break;
    case REG_SZ:
    case REG_EXPAND_SZ:
        text = boundedText(data, size);
        break;
    case REG_BINARY:
        return binaryDump(data, size);
    case REG_DWORD:
        text = hexDword(dwordAt(data, size, false));
        break;
    case REG_DWORD_BIG_ENDIAN:
        text = hexDword(dwordAt(data, size, true));
        break;
    case REG_LINK:
        text = "Unicode link\n";
        break;
    case REG_MULTI_SZ:
        text = multiString(data, size);
        break;
    case REG_RESOURCE_LIST:
        text = "Resource list";
        break;
    default:
        text = "Invalid type code";
        break;
    }
    if (text.size() >= regfmt::kHugeText) {
        char notice[96];
        std::snprintf(notice, sizeof notice, " : Huge KEY data -> data size: %d Bytes\n",
                      static_cast<int>(text.size()));
        return notice;
    }
    return text;
}

std::string renderFetchedValue(DWORD type, const std::vector<BYTE>& bytes) {
    // Sizes are measured on the single-byte form, as that interface gives it.
    DWORD size = static_cast<DWORD>(bytes.size());
    if (size >= regfmt::kHugeValue) {
        char notice[96];
        std::snprintf(notice, sizeof notice, " : Huge KEY Data -> Data Size: %d Bytes\n",
                      static_cast<int>(size));
        return renderValue(reinterpret_cast<const BYTE*>(notice), REG_SZ,
                           static_cast<DWORD>(std::strlen(notice)));
    }
    std::vector<BYTE> data;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // Already in the report's code page: an OEM conversion here would
        // turn every letter above 127 into another one.
        data.reserve(bytes.size() + 1);
        for (DWORD i = 0; i < size; ++i)
            if (bytes[i] != 13 && bytes[i] != 10) data.push_back(bytes[i]);
        size = static_cast<DWORD>(data.size());
    } else {
        data = bytes;
    }
    data.push_back(0);
    return renderValue(data.data(), type, size);
}
