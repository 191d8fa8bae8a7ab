#include "windows_version.h"

#include "report/critical_section.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr WORD kEnterprise = 0x2;
constexpr WORD kDatacenter = 0x80;
constexpr WORD kPersonal = 0x200;
constexpr WORD kBlade = 0x400;

struct Edition {
    int code;
    const char* line;
    bool newer;
};

constexpr Edition kEditions[] = {
    {1, "OS: Windows 95\n", false},
    {2, "OS: Windows 95\n", false},
    {3, "OS: Windows 98\n", false},
    {4, "OS: Windows 98\n", false},
    {5, "OS: Windows Millennium\n", false},
    {8, "OS: Windows NT 4.0 Workstation\n", false},
    {9, "OS: Windows NT 4.0 Server\n", false},
    {10, "OS: Windows NT 4.0 Server_Enterprise\n", false},
    {12, "OS: Windows 2000 Professional\n", false},
    {13, "OS: Windows 2000 Server\n", false},
    {14, "OS: Windows 2000 Server Datacenter\n", false},
    {15, "OS: Windows 2000 Server Advanced\n", false},
    {17, "OS: Windows XP Home Edition\n", true},
    {18, "OS: Windows XP Professional\n", true},
    {19, "OS: Windows Server 2003\n", true},
    {20, "OS: Windows Server 2003 Enterprise\n", true},
    {21, "OS: Windows Server 2003 Datacenter\n", true},
    {22, "OS: Windows Server 2003 WebEdition\n", true},
    {23, "OS: Windows 32s\n", false},
    {24, "OS: Windows Vista\n", true},
    {25, "OS: Windows Longhorn\n", true},
};

const Edition* findEdition(int code) {
    for (const auto& e : kEditions)
        if (e.code == code) return &e;
    return nullptr;
}

std::string buildLine(const char* csd, DWORD build) {
    char line[128] = {};
    std::snprintf(line, sizeof line, "%s (Build %d)\n", csd, static_cast<int>(build & 0xFFFF));
    return line;
}

std::string csdText(const OSVERSIONINFOEXA& r) {
    return std::string(r.szCSDVersion, strnlen(r.szCSDVersion, sizeof r.szCSDVersion));
}

int firstEstimate(const OSVERSIONINFOEXA& r) {
    const DWORD major = r.dwMajorVersion, minor = r.dwMinorVersion;
    if (major == 6) return minor == 0 ? (r.wProductType == 1 ? 24 : 25) : 0;
    if (major == 5) {
        if (minor == 2) return 19;
        if (minor == 1) return 16;
        if (minor == 0) return 11;
        return 0;
    }
    if (major <= 4) return 6;
    return 0;
}

int nineXCode(const OSVERSIONINFOEXA& r) {
    if (r.dwMajorVersion != 4) return 0;
    const char marker = r.szCSDVersion[1];
    switch (r.dwMinorVersion) {
    case 0:
        return (marker == 'C' || marker == 'B') ? 2 : 1;
    case 10:
        return marker == 'A' ? 4 : 3;
    case 90:
        return 5;
    default:
        return 0;
    }
}

}  // namespace

const char* editionLine(int code) {
    const Edition* e = findEdition(code);
    return e != nullptr ? e->line : "OS: Windows type\n";
}

bool newerWindowsFor(int code) {
    const Edition* e = findEdition(code);
    return e != nullptr ? e->newer : true;
}

VersionResult identifyFromRecord(const VersionInputs& in) {
    const OSVERSIONINFOEXA& r = in.record;
    VersionResult out;
    switch (r.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        out.versionCode = 23;
        return out;
    case VER_PLATFORM_WIN32_WINDOWS:
        out.versionCode = nineXCode(r);
        return out;
    case VER_PLATFORM_WIN32_NT:
        break;
    default:
        return out;
    }

    const DWORD major = r.dwMajorVersion, minor = r.dwMinorVersion;
    const WORD suite = r.wSuiteMask;
    int& code = out.versionCode;
    code = firstEstimate(r);

    enum class Next { ServicePack6a, NotFour, BuildLine };
    Next next = Next::NotFour;
    if (in.extendedRecordValid) {
        if (r.wProductType == VER_NT_WORKSTATION) {
            if (major == 4) {
                code = 8;
                next = Next::ServicePack6a;
            } else if (major == 5) {
                if (suite & kPersonal) {
                    if (minor == 1) code = 17;
                } else if (minor == 1) {
                    code = 18;
                } else if (minor == 0) {
                    code = 12;
                }
            }
        } else if (r.wProductType == VER_NT_SERVER) {
            if (major == 5 && minor == 2) {
                if (suite & kDatacenter) code = 21;
                else if (suite & kEnterprise) code = 20;
                else if (suite == kBlade) code = 22;
                else code = 19;
                next = Next::BuildLine;
            } else if (major == 5 && minor == 0) {
                if (suite & kDatacenter) code = 14;
                else if (suite & kEnterprise) code = 15;
                else code = 13;
                next = Next::BuildLine;
            } else if (major <= 4) {
                code = (suite & kEnterprise) ? 10 : 9;
            }
        }
    } else {
        const std::optional<std::string> type = in.productType ? in.productType() : std::nullopt;
        if (!type) {
            out.ok = false;
            return out;
        }
        if (_stricmp(type->c_str(), "WINNT") == 0) {
            if (major <= 4) code = 8;
        } else if (_stricmp(type->c_str(), "LANMANNT") == 0) {
            if (major == 5) {
                if (minor == 2) code = 19;
                else if (minor == 0) code = 13;
            } else if (major <= 4) {
                code = 9;
            }
        } else if (_stricmp(type->c_str(), "SERVERNT") == 0) {
            if (major == 5) {
                if (minor == 2) code = 20;
                else if (minor == 0) code = 15;
                next = Next::BuildLine;
            } else if (major > 4) {
                next = Next::BuildLine;
            } else {
                code = 10;
            }
        }
    }

    if (next == Next::NotFour) next = major == 4 ? Next::ServicePack6a : Next::BuildLine;
    const std::string csd = csdText(r);
    if (next == Next::ServicePack6a && _stricmp(csd.c_str(), "Service Pack 6") == 0 && in.hotfixQ246009 &&
        in.hotfixQ246009()) {
        char line[128] = {};
        std::snprintf(line, sizeof line, "Service Pack 6a (Build %d)\n", static_cast<int>(r.dwBuildNumber & 0xFFFF));
        out.servicePackLine = line;
        return out;
    }
    out.servicePackLine = buildLine(csd.c_str(), r.dwBuildNumber);
    return out;
}

std::optional<std::string> readProductOptionsType() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return std::nullopt;
    char buffer[81] = {};
    DWORD size = 80;
    const LONG rc = RegQueryValueExA(key, "ProductType", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || size > 80) return std::nullopt;
    return std::string(buffer, strnlen(buffer, size));
}

bool hotfixQ246009Present() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

namespace {

struct ProcessVersion {
    CriticalSection guard;
    OSVERSIONINFOEXA record{};
    int versionCode = 0;
    std::string servicePackLine;
};

ProcessVersion& processVersion() {
    static ProcessVersion v;
    return v;
}

}  // namespace

bool identifyWindowsVersion() {
    VersionInputs in;
    in.record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    in.extendedRecordValid = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&in.record)) != 0;
    bool readable = in.extendedRecordValid;
    if (!readable) {
        in.record = OSVERSIONINFOEXA{};
        in.record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        readable = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&in.record)) != 0;
        if (!readable) in.record = OSVERSIONINFOEXA{};
    }
    in.productType = readProductOptionsType;
    in.hotfixQ246009 = hotfixQ246009Present;
    VersionResult result;
    if (readable) result = identifyFromRecord(in);
    else result.ok = false;

    ProcessVersion& v = processVersion();
    ScopedLock lock(v.guard);
    v.record = in.record;
    v.versionCode = result.versionCode;
    v.servicePackLine = result.servicePackLine;
    return result.ok;
}

bool describeWindowsVersion(std::string& out) {
    identifyWindowsVersion();
    ProcessVersion& v = processVersion();
    ScopedLock lock(v.guard);
    out = editionLine(v.versionCode);
    return newerWindowsFor(v.versionCode);
}

void copyServicePackLine(std::string& out) {
    ProcessVersion& v = processVersion();
    ScopedLock lock(v.guard);
    out = v.servicePackLine;
}

OSVERSIONINFOEXA versionRecord() {
    ProcessVersion& v = processVersion();
    ScopedLock lock(v.guard);
    return v.record;
}
