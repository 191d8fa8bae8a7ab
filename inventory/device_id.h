// The device's identity on the server: the computer name and the local time
// of the first run. Kept in the registry, so that every later run updates the
// same device instead of adding a new one.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// NAME-YYYY-MM-DD-hh-mm-ss; a computer name of nothing but control
// characters or none at all gives the name "KORVEXER".
std::string makeDeviceId(std::string_view computerName, const SYSTEMTIME& localTime);

// The server's rule: a non-empty name, then -YYYY-MM-DD-hh-mm-ss (digits
// only, not checked as a date). Control characters make it fail too: such a
// value was not written by us.
bool isDeviceId(std::string_view id);

// Where the identity is kept: value "DeviceId" of `keyPath` below the
// machine's root, else below the user's.
struct DeviceIdStore {
    HKEY machineRoot = HKEY_LOCAL_MACHINE;
    HKEY userRoot = HKEY_CURRENT_USER;
    const char* keyPath = "Software\\Korvexer";
};

// The stored identity where one passes isDeviceId (the machine's first);
// otherwise a new one made of `computerName` and `now`, stored below the
// machine's root where that can be written, else below the user's. The new
// identity serves this run even when neither place takes it.
std::string storedDeviceId(std::string_view computerName, const DeviceIdStore& store, const SYSTEMTIME& now);

// The same in the usual places, with the local time.
std::string storedDeviceId(std::string_view computerName);
