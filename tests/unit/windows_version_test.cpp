#include "collect/windows_version.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Row {
    const char* name;
    DWORD platform, major, minor;
    BYTE productType;
    WORD suite;
    const char* csd;
    bool extended;
    const char* registryType;  // nullptr: the ProductOptions key cannot be read
    int code;
    const char* line;
    bool newer;
};

VersionInputs inputsFor(const Row& r, bool hotfix = false) {
    VersionInputs in;
    in.record.dwPlatformId = r.platform;
    in.record.dwMajorVersion = r.major;
    in.record.dwMinorVersion = r.minor;
    in.record.dwBuildNumber = 0x0A0B0000u | 1234;
    in.record.wProductType = r.productType;
    in.record.wSuiteMask = r.suite;
    std::strncpy(in.record.szCSDVersion, r.csd, sizeof in.record.szCSDVersion - 1);
    in.extendedRecordValid = r.extended;
    const char* type = r.registryType;
    in.productType = [type]() -> std::optional<std::string> {
        if (type == nullptr) return std::nullopt;
        return std::string(type);
    };
    in.hotfixQ246009 = [hotfix] { return hotfix; };
    return in;
}

const Row kRows[] = {
    {"Win32s", 0, 3, 10, 0, 0, "", true, nullptr, 23, "OS: Windows 32s\n", false},
    {"95", 1, 4, 0, 0, 0, "", true, nullptr, 1, "OS: Windows 95\n", false},
    {"95 OSR2 B", 1, 4, 0, 0, 0, " B", true, nullptr, 2, "OS: Windows 95\n", false},
    {"95 OSR2 C", 1, 4, 0, 0, 0, " C", true, nullptr, 2, "OS: Windows 95\n", false},
    {"98", 1, 4, 10, 0, 0, " ", true, nullptr, 3, "OS: Windows 98\n", false},
    {"98 SE", 1, 4, 10, 0, 0, " A ", true, nullptr, 4, "OS: Windows 98\n", false},
    {"Me", 1, 4, 90, 0, 0, "", true, nullptr, 5, "OS: Windows Millennium\n", false},
    {"9x unknown minor", 1, 4, 50, 0, 0, "", true, nullptr, 0, "OS: Windows type\n", true},
    {"9x major 5", 1, 5, 0, 0, 0, "", true, nullptr, 0, "OS: Windows type\n", true},
    {"NT4 workstation", 2, 4, 0, 1, 0, "Service Pack 5", true, nullptr, 8, "OS: Windows NT 4.0 Workstation\n", false},
    {"NT4 server", 2, 4, 0, 3, 0, "", true, nullptr, 9, "OS: Windows NT 4.0 Server\n", false},
    {"NT4 enterprise", 2, 4, 0, 3, 2, "", true, nullptr, 10, "OS: Windows NT 4.0 Server_Enterprise\n", false},
    {"NT4 domain controller", 2, 4, 0, 2, 0, "", true, nullptr, 6, "OS: Windows type\n", true},
    {"2000 Professional", 2, 5, 0, 1, 0, "Service Pack 4", true, nullptr, 12, "OS: Windows 2000 Professional\n", false},
    {"2000 Server", 2, 5, 0, 3, 0, "", true, nullptr, 13, "OS: Windows 2000 Server\n", false},
    {"2000 Datacenter", 2, 5, 0, 3, 0x82, "", true, nullptr, 14, "OS: Windows 2000 Server Datacenter\n", false},
    {"2000 Advanced", 2, 5, 0, 3, 0x2, "", true, nullptr, 15, "OS: Windows 2000 Server Advanced\n", false},
    {"2000 domain controller", 2, 5, 0, 2, 0, "", true, nullptr, 11, "OS: Windows type\n", true},
    {"2000 personal bit", 2, 5, 0, 1, 0x200, "", true, nullptr, 11, "OS: Windows type\n", true},
    {"XP Home", 2, 5, 1, 1, 0x200, "Service Pack 2", true, nullptr, 17, "OS: Windows XP Home Edition\n", true},
    {"XP Professional", 2, 5, 1, 1, 0, "Service Pack 3", true, nullptr, 18, "OS: Windows XP Professional\n", true},
    {"XP as server", 2, 5, 1, 3, 0, "", true, nullptr, 16, "OS: Windows type\n", true},
    {"2003", 2, 5, 2, 3, 0, "", true, nullptr, 19, "OS: Windows Server 2003\n", true},
    {"2003 Enterprise", 2, 5, 2, 3, 0x2, "", true, nullptr, 20, "OS: Windows Server 2003 Enterprise\n", true},
    {"2003 Datacenter", 2, 5, 2, 3, 0x80, "", true, nullptr, 21, "OS: Windows Server 2003 Datacenter\n", true},
    {"2003 Web (0x400)", 2, 5, 2, 3, 0x400, "", true, nullptr, 22, "OS: Windows Server 2003 WebEdition\n", true},
    {"2003 0x410", 2, 5, 2, 3, 0x410, "", true, nullptr, 19, "OS: Windows Server 2003\n", true},
    {"2003 workstation", 2, 5, 2, 1, 0, "", true, nullptr, 19, "OS: Windows Server 2003\n", true},
    {"Vista", 2, 6, 0, 1, 0x2, "Service Pack 2", true, nullptr, 24, "OS: Windows Vista\n", true},
    {"Longhorn server", 2, 6, 0, 3, 0, "", true, nullptr, 25, "OS: Windows Longhorn\n", true},
    {"Longhorn domain controller", 2, 6, 0, 2, 0, "", true, nullptr, 25, "OS: Windows Longhorn\n", true},
    {"Windows 7", 2, 6, 1, 1, 0, "Service Pack 1", true, nullptr, 0, "OS: Windows type\n", true},
    {"major 10", 2, 10, 0, 1, 0, "", true, nullptr, 0, "OS: Windows type\n", true},
    {"unknown platform", 3, 5, 1, 1, 0, "", true, nullptr, 0, "OS: Windows type\n", true},
    // Basic record only: the product type comes from the registry.
    {"basic NT4 WINNT", 2, 4, 0, 0, 0, "Service Pack 3", false, "WinNT", 8, "OS: Windows NT 4.0 Workstation\n", false},
    {"basic NT4 LANMANNT", 2, 4, 0, 0, 0, "", false, "LanmanNT", 9, "OS: Windows NT 4.0 Server\n", false},
    {"basic NT4 SERVERNT", 2, 4, 0, 0, 0, "", false, "ServerNT", 10, "OS: Windows NT 4.0 Server_Enterprise\n", false},
    {"basic 2000 LANMANNT", 2, 5, 0, 0, 0, "", false, "LANMANNT", 13, "OS: Windows 2000 Server\n", false},
    {"basic 2003 LANMANNT", 2, 5, 2, 0, 0, "", false, "LANMANNT", 19, "OS: Windows Server 2003\n", true},
    {"basic 2000 SERVERNT", 2, 5, 0, 0, 0, "", false, "SERVERNT", 15, "OS: Windows 2000 Server Advanced\n", false},
    {"basic 2003 SERVERNT", 2, 5, 2, 0, 0, "", false, "SERVERNT", 20, "OS: Windows Server 2003 Enterprise\n", true},
    {"basic XP WINNT", 2, 5, 1, 0, 0, "", false, "WINNT", 16, "OS: Windows type\n", true},
    {"basic NT4 unreadable", 2, 4, 0, 0, 0, "", false, nullptr, 6, "OS: Windows type\n", true},
};

TEST(WindowsVersion, EditionCodesLinesAndNewerFlag) {
    for (const Row& r : kRows) {
        const VersionResult result = identifyFromRecord(inputsFor(r));
        EXPECT_EQ(result.versionCode, r.code) << r.name;
        EXPECT_STREQ(editionLine(result.versionCode), r.line) << r.name;
        EXPECT_EQ(newerWindowsFor(result.versionCode), r.newer) << r.name;
    }
}

TEST(WindowsVersion, EveryCodeOfTheTable) {
    const std::pair<int, const char*> named[] = {
        {1, "OS: Windows 95\n"}, {2, "OS: Windows 95\n"}, {3, "OS: Windows 98\n"}, {4, "OS: Windows 98\n"},
        {5, "OS: Windows Millennium\n"}, {6, "OS: Windows type\n"}, {8, "OS: Windows NT 4.0 Workstation\n"},
        {9, "OS: Windows NT 4.0 Server\n"}, {10, "OS: Windows NT 4.0 Server_Enterprise\n"}, {11, "OS: Windows type\n"},
        {12, "OS: Windows 2000 Professional\n"}, {13, "OS: Windows 2000 Server\n"},
        {14, "OS: Windows 2000 Server Datacenter\n"}, {15, "OS: Windows 2000 Server Advanced\n"},
        {16, "OS: Windows type\n"}, {17, "OS: Windows XP Home Edition\n"}, {18, "OS: Windows XP Professional\n"},
        {19, "OS: Windows Server 2003\n"}, {20, "OS: Windows Server 2003 Enterprise\n"},
        {21, "OS: Windows Server 2003 Datacenter\n"}, {22, "OS: Windows Server 2003 WebEdition\n"},
        {23, "OS: Windows 32s\n"}, {24, "OS: Windows Vista\n"}, {25, "OS: Windows Longhorn\n"}, {0, "OS: Windows type\n"},
        {7, "OS: Windows type\n"}, {99, "OS: Windows type\n"}};
    for (const auto& [code, line] : named) EXPECT_STREQ(editionLine(code), line) << code;
    for (int code : {1, 2, 3, 4, 5, 8, 9, 10, 12, 13, 14, 15, 23}) EXPECT_FALSE(newerWindowsFor(code)) << code;
    for (int code : {0, 6, 11, 16, 17, 18, 19, 20, 21, 22, 24, 25, 7, 26}) EXPECT_TRUE(newerWindowsFor(code)) << code;
}

TEST(WindowsVersion, ServicePackLines) {
    Row xp = {"XP", 2, 5, 1, 1, 0, "Service Pack 2", true, nullptr, 18, "", true};
    EXPECT_EQ(identifyFromRecord(inputsFor(xp)).servicePackLine, "Service Pack 2 (Build 1234)\n");

    Row nine = {"98", 1, 4, 10, 0, 0, " A ", true, nullptr, 4, "", false};
    EXPECT_EQ(identifyFromRecord(inputsFor(nine)).servicePackLine, "");

    Row sp6 = {"NT4 SP6", 2, 4, 0, 1, 0, "Service Pack 6", true, nullptr, 8, "", false};
    EXPECT_EQ(identifyFromRecord(inputsFor(sp6, true)).servicePackLine, "Service Pack 6a (Build 1234)\n");
    EXPECT_EQ(identifyFromRecord(inputsFor(sp6, false)).servicePackLine, "Service Pack 6 (Build 1234)\n");
    Row sp6lower = sp6;
    sp6lower.csd = "service pack 6";
    EXPECT_EQ(identifyFromRecord(inputsFor(sp6lower, true)).servicePackLine, "Service Pack 6a (Build 1234)\n");
    Row sp6server = {"NT4 SP6 server", 2, 4, 0, 3, 0, "Service Pack 6", true, nullptr, 9, "", false};
    EXPECT_EQ(identifyFromRecord(inputsFor(sp6server, true)).servicePackLine, "Service Pack 6a (Build 1234)\n");
    // The 2000 server path skips the NT 4.0 hotfix test altogether.
    Row w2k = {"2000 SP6?", 2, 5, 0, 3, 0, "Service Pack 6", true, nullptr, 13, "", false};
    EXPECT_EQ(identifyFromRecord(inputsFor(w2k, true)).servicePackLine, "Service Pack 6 (Build 1234)\n");
}

TEST(WindowsVersion, RegistryFailureKeepsTheEstimateWithoutServicePackLine) {
    Row r = {"NT4 unreadable", 2, 4, 0, 0, 0, "Service Pack 3", false, nullptr, 6, "", true};
    const VersionResult result = identifyFromRecord(inputsFor(r));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.versionCode, 6);
    EXPECT_EQ(result.servicePackLine, "");
}

TEST(WindowsVersion, LongServicePackTextStaysInItsBuffer) {
    Row r = {"XP", 2, 5, 1, 1, 0, "", true, nullptr, 18, "", true};
    VersionInputs in = inputsFor(r);
    std::memset(in.record.szCSDVersion, 'S', sizeof in.record.szCSDVersion);  // no terminator at all
    const VersionResult result = identifyFromRecord(in);
    EXPECT_EQ(result.servicePackLine.size(), 127u);
}

TEST(WindowsVersion, RunningSystemIsIdentified) {
    std::string line;
    describeWindowsVersion(line);
    EXPECT_EQ(line.rfind("OS: Windows ", 0), 0u);
    EXPECT_EQ(line.back(), '\n');
}

}  // namespace
