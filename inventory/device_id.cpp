#include "device_id.h"

#include "registry/registry_read.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace {

constexpr const char* kValueName = "DeviceId";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool readStored(HKEY root, const char* keyPath, std::string& out) {
    RegKey key;
    if (!key.open(root, keyPath, KEY_QUERY_VALUE)) return false;
    std::optional<std::string> stored = readTextValue(key.get(), kValueName);
    if (!stored) return false;
    out = std::move(*stored);
    return true;
}

bool store(HKEY root, const char* keyPath, const std::string& id) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const RegKey key(opened);
    return RegSetValueExA(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(id.c_str()),
                          static_cast<DWORD>(id.size() + 1)) == ERROR_SUCCESS;
}

} // namespace

std::string makeDeviceId(std::string_view computerName, const SYSTEMTIME& localTime) {
    std::string name;
    for (const char c : computerName)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) name.push_back(c);
    if (name.empty()) name = "KORVEXER";
    // The rule wants exactly four digits for the year and two for the rest.
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "-%04u-%02u-%02u-%02u-%02u-%02u", localTime.wYear % 10000u,
                  localTime.wMonth % 100u, localTime.wDay % 100u, localTime.wHour % 100u,
                  localTime.wMinute % 100u, localTime.wSecond % 100u);
    return name + stamp;
}

bool isDeviceId(std::string_view id) {
    constexpr std::string_view kShape = "-0000-00-00-00-00-00";
    if (id.size() <= kShape.size()) return false;
    for (const char c : id)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    const std::string_view stamp = id.substr(id.size() - kShape.size());
    for (size_t i = 0; i < kShape.size(); ++i)
        if (kShape[i] == '-' ? stamp[i] != '-' : !isDigit(stamp[i])) return false;
    return true;
}

std::string storedDeviceId(std::string_view computerName, const DeviceIdStore& place, const SYSTEMTIME& now) {
    for (const HKEY root : {place.machineRoot, place.userRoot}) {
        std::string stored;
        if (readStored(root, place.keyPath, stored) && isDeviceId(stored)) return stored;
    }
    const std::string id = makeDeviceId(computerName, now);
    if (!store(place.machineRoot, place.keyPath, id)) store(place.userRoot, place.keyPath, id);
    return id;
}

std::string storedDeviceId(std::string_view computerName) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return storedDeviceId(computerName, DeviceIdStore{}, now);
}
