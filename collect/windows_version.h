// Which Windows this is: the edition code, its report line, the service-pack
// line and whether it counts as XP or newer.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

struct VersionInputs {
    OSVERSIONINFOEXA record{};
    bool extendedRecordValid = false;
    // "ProductType" of the ProductOptions key; nullopt when it cannot be read.
    std::function<std::optional<std::string>()> productType;
    // Whether the NT 4.0 SP6a hotfix key exists.
    std::function<bool()> hotfixQ246009;
};

struct VersionResult {
    bool ok = true;
    int versionCode = 0;
    std::string servicePackLine;
};

// The decision itself, from the version record and the two registry readers.
VersionResult identifyFromRecord(const VersionInputs& in);

// The edition line ("OS: ...\n") and the newer-Windows flag of an edition code.
const char* editionLine(int versionCode);
bool newerWindowsFor(int versionCode);

// Process-wide identification from the running system.
bool identifyWindowsVersion();
bool describeWindowsVersion(std::string& out);
void copyServicePackLine(std::string& out);
OSVERSIONINFOEXA versionRecord();

// The registry readers the running system uses.
std::optional<std::string> readProductOptionsType();
bool hotfixQ246009Present();
