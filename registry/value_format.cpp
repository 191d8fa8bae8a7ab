#include "value_format.h"

#include "registry_read.h"
#include "report/report_writer.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string convert(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring convertBack(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// The text up to its first zero byte, never past `size`.
std::string boundedText(const BYTE* data, DWORD size) {
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
    std::memcpy(b, data, size < 4 ? size : 4);
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

}  // namespace

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
        std::snprintf(notice, sizeof notice, " : Huge KEY data -> data size: %d Bytes\n", static_cast<int>(text.size()));
        return notice;
    }
    return text;
}

void printval(ReportState& report, const BYTE* data, DWORD type, DWORD size) {
    const std::string text = renderValue(data, type, size);
    reportPrintf(report, "%s\n", text.c_str());
}

std::string toAnsi(const std::wstring& wide) { return convert(CP_ACP, wide); }
std::wstring fromAnsi(const std::string& text) { return convertBack(CP_ACP, text); }
std::string toUtf8(const std::wstring& wide) { return convert(CP_UTF8, wide); }
std::wstring fromUtf8(const std::string& text) { return convertBack(CP_UTF8, text); }

void printFetchedValue(ReportState& report, DWORD type, const BYTE* raw, DWORD got) {
    // Texts become single-byte as the registry's "A" interface would hand
    // them over; sizes are measured on that form.
    std::vector<BYTE> data;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_LINK) {
        std::wstring wide(reinterpret_cast<const wchar_t*>(raw), got / sizeof(wchar_t));
        const std::string single = toAnsi(wide);
        data.assign(single.begin(), single.end());
    } else {
        data.assign(raw, raw + got);
    }
    DWORD size = static_cast<DWORD>(data.size());
    if (size >= regfmt::kHugeValue) {
        char notice[96];
        std::snprintf(notice, sizeof notice, " : Huge KEY Data -> Data Size: %d Bytes\n", static_cast<int>(size));
        printval(report, reinterpret_cast<const BYTE*>(notice), REG_SZ, static_cast<DWORD>(std::strlen(notice)));
        return;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        data.push_back(0);
        OemToCharBuffA(reinterpret_cast<char*>(data.data()), reinterpret_cast<char*>(data.data()), size);
        std::vector<BYTE> cleaned;
        cleaned.reserve(data.size());
        for (DWORD i = 0; i < size; ++i)
            if (data[i] != 13 && data[i] != 10) cleaned.push_back(data[i]);
        size = static_cast<DWORD>(cleaned.size());
        data.swap(cleaned);
    }
    data.push_back(0);
    printval(report, data.data(), type, size);
}

bool printRegistryValue(ReportState& report, HKEY key, const std::wstring& valueName) {
    DWORD type = 0;
    DWORD wideSize = 0;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &wideSize) != ERROR_SUCCESS) return true;
    std::vector<BYTE> raw;
    try {
        raw.resize(wideSize + 2);
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD got = wideSize;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, raw.data(), &got) != ERROR_SUCCESS) return true;
    printFetchedValue(report, type, raw.data(), std::min(got, wideSize));
    return true;
}

int get_value_string_or_dword_from_reg(ReportState& report, HKEY root, const char* keyPath, const char* valueName) {
    RegKey key;
    if (!key.open(root, keyPath, KEY_READ)) return 0;
    return printRegistryValue(report, key.get(), fromAnsi(valueName)) ? 1 : 0;
}
