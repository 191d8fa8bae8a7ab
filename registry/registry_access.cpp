#include "registry_access.h"

#include "report/system_api.h"

#include <algorithm>
#include <atomic>
#include <climits>

namespace {

std::atomic<bool> ansiForced{false};

std::string convert(UINT codePage, const wchar_t* wide, size_t count) {
    if (count == 0 || count > static_cast<size_t>(INT_MAX)) return {};
    const int n =
        WideCharToMultiByte(codePage, 0, wide, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, wide, static_cast<int>(count), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring convertBack(UINT codePage, const char* text, size_t count) {
    if (count == 0 || count > static_cast<size_t>(INT_MAX)) return {};
    const int n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(count), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    const int written = MultiByteToWideChar(codePage, 0, text, static_cast<int>(count), out.data(), n);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Data the wide functions handed over, in the form the single-byte ones
// would have given: texts converted (terminators and all), the rest as is.
void fromWideData(DWORD type, const BYTE* raw, DWORD size, reg::ValueData& out) {
    out.rawSize = size;
    out.type = type;
    if (!isText(type)) {
        out.bytes.assign(raw, raw + size);
        return;
    }
    const std::string single = convert(CP_ACP, reinterpret_cast<const wchar_t*>(raw), size / sizeof(wchar_t));
    out.bytes.assign(single.begin(), single.end());
}

void fromAnsiData(DWORD type, const BYTE* raw, DWORD size, reg::ValueData& out) {
    out.rawSize = size;
    out.type = type;
    out.bytes.assign(raw, raw + size);
}

} // namespace

std::string toAnsi(const std::wstring& wide) {
    return convert(CP_ACP, wide.data(), wide.size());
}
std::wstring fromAnsi(std::string_view text) {
    return convertBack(CP_ACP, text.data(), text.size());
}
std::string toUtf8(const std::wstring& wide) {
    return convert(CP_UTF8, wide.data(), wide.size());
}
std::wstring fromUtf8(const std::string& text) {
    return convertBack(CP_UTF8, text.data(), text.size());
}

namespace reg {

bool usesAnsi() {
    return ansiForced || !sys::ntFamily();
}

void forceAnsi(bool force) {
    ansiForced = force;
}

bool queryCounts(HKEY key, DWORD& subkeys, DWORD& values) {
    subkeys = 0;
    values = 0;
    const LONG rc = usesAnsi() ? RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                  &values, nullptr, nullptr, nullptr, nullptr)
                               : RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                  &values, nullptr, nullptr, nullptr, nullptr);
    return rc == ERROR_SUCCESS;
}

bool enumSubkey(HKEY key, DWORD index, std::wstring& name) {
    DWORD length = kSubkeyNameChars;
    if (usesAnsi()) {
        char buffer[kSubkeyNameChars + 1];
        if (RegEnumKeyExA(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        name = convertBack(CP_ACP, buffer, length);
        return true;
    }
    wchar_t buffer[kSubkeyNameChars + 1];
    if (RegEnumKeyExW(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    name.assign(buffer, length);
    return true;
}

bool openKey(HKEY parent, const std::wstring& name, REGSAM access, RegKey& out) {
    HKEY opened = nullptr;
    const LONG rc = usesAnsi() ? RegOpenKeyExA(parent, toAnsi(name).c_str(), 0, access, &opened)
                               : RegOpenKeyExW(parent, name.c_str(), 0, access, &opened);
    if (rc != ERROR_SUCCESS) return false;
    out = RegKey(opened);
    return true;
}

LONG queryValueUpTo(HKEY key, const std::wstring& name, DWORD units, ValueData& out) {
    // The name is never null: an empty one asks for the default value just
    // the same, and Wine faults on a null name for some keys (Perflib\009).
    DWORD type = 0;
    if (usesAnsi()) {
        const std::string ansiName = toAnsi(name);
        std::vector<BYTE> raw(units + 1, 0);
        DWORD size = units;
        const LONG rc = RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, raw.data(), &size);
        if (rc == ERROR_SUCCESS) fromAnsiData(type, raw.data(), std::min(size, units), out);
        return rc;
    }
    std::vector<BYTE> raw((units + 1) * sizeof(wchar_t), 0);
    DWORD size = units * sizeof(wchar_t);
    const LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, raw.data(), &size);
    if (rc == ERROR_SUCCESS)
        fromWideData(type, raw.data(), std::min<DWORD>(size, units * sizeof(wchar_t)), out);
    return rc;
}

LONG queryValue(HKEY key, const std::wstring& name, ValueData& out) {
    DWORD type = 0;
    DWORD size = 0;
    const bool ansi = usesAnsi();
    const std::string ansiName = ansi ? toAnsi(name) : std::string();
    LONG rc = ansi ? RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, nullptr, &size)
                   : RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    std::vector<BYTE> raw(static_cast<size_t>(size) + 2, 0);
    DWORD got = size;
    rc = ansi ? RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, raw.data(), &got)
              : RegQueryValueExW(key, name.c_str(), nullptr, &type, raw.data(), &got);
    if (rc != ERROR_SUCCESS) return rc;
    if (ansi)
        fromAnsiData(type, raw.data(), std::min(got, size), out);
    else
        fromWideData(type, raw.data(), std::min(got, size), out);
    return ERROR_SUCCESS;
}

ValueReader::ValueReader(HKEY key, Buffers& buffers)
    : key_(key), ansi_(usesAnsi()), wideName_(buffers.wideName), ansiName_(buffers.ansiName), raw_(buffers.raw) {
    if (raw_.size() < kInlineData) raw_.resize(kInlineData);
    if (ansi_ && ansiName_.size() < kValueNameChars + 1) ansiName_.resize(kValueNameChars + 1);
    if (!ansi_ && wideName_.size() < kValueNameChars + 1) wideName_.resize(kValueNameChars + 1);
}

ValueReader::Got ValueReader::read(DWORD index, std::wstring& name, ValueData& data) {
    DWORD length = kValueNameChars;
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(raw_.size());
    if (ansi_) {
        const LONG rc =
            RegEnumValueA(key_, index, ansiName_.data(), &length, nullptr, &type, raw_.data(), &size);
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return Got::Nothing;
        if (rc == ERROR_MORE_DATA) {
            length = kValueNameChars;
            if (RegEnumValueA(key_, index, ansiName_.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                return Got::Nothing;
        }
        name = convertBack(CP_ACP, ansiName_.data(), length);
        if (rc == ERROR_MORE_DATA) return Got::Name;
        fromAnsiData(type, raw_.data(), size, data);
        return Got::NameAndData;
    }
    const LONG rc = RegEnumValueW(key_, index, wideName_.data(), &length, nullptr, &type, raw_.data(), &size);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return Got::Nothing;
    if (rc == ERROR_MORE_DATA) {
        length = kValueNameChars;
        if (RegEnumValueW(key_, index, wideName_.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return Got::Nothing;
    }
    name.assign(wideName_.data(), length);
    if (rc == ERROR_MORE_DATA) return Got::Name;
    fromWideData(type, raw_.data(), size, data);
    return Got::NameAndData;
}

std::string toListLine(const std::wstring& name) {
    return usesAnsi() ? toAnsi(name) : toUtf8(name);
}

std::wstring fromListLine(const std::string& line) {
    return usesAnsi() ? fromAnsi(line) : fromUtf8(line);
}

} // namespace reg
