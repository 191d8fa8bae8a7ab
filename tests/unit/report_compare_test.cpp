// Comparing two reports: the kind told by the heading, entries matched by
// what identifies them in each kind of section, the fields that change on
// their own left out, and the trouble cases refused.
#include "app/command_line.h"
#include "compare/report_compare.h"
#include "compare/report_text.h"
#include "compare/volatile_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kRule(75, '=');
const std::string kTrailer =
    "\r\n" + kRule +
    "\r\nKorvexer.exe -> everything about this Windows machine in one searchable report.\r\n";

// A report from its lines, with the line ends a work file gives (CR CR LF).
std::string report(const std::vector<std::string>& lines, const std::string& end = "\r\r\n") {
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text + kTrailer;
}

// What the comparison found: the section lines ("[title]") and the entry
// lines under them, without the head that names the left-out fields.
std::vector<std::string> found(const Comparison& c) {
    std::vector<std::string> out;
    bool inBody = false;
    size_t start = 0;
    while (start < c.text.size()) {
        size_t end = c.text.find("\r\n", start);
        if (end == std::string::npos) end = c.text.size();
        const std::string line = c.text.substr(start, end - start);
        start = end + 2;
        if (!line.empty() && line[0] == '[') inBody = true;
        if (inBody && !line.empty() && (line[0] == '[' || line.rfind("  ", 0) == 0)) out.push_back(line);
    }
    return out;
}

std::vector<std::string> commonHead() {
    return {"User / Windows Environment:",
            "Computer name:      PC1",
            "User name:          ann - Administrator rights",
            "",
            "Current directory: C:\\work",
            ""};
}

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct CompareCase {
    const char* name;
    std::string before;
    std::string after;
    Comparison::Outcome outcome;
    std::vector<std::string> entries;
};

void PrintTo(const CompareCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<std::string> kServicesBefore = {" Services in CurrentControlSet:",
                                                  "",
                                                  "",
                                                  "   Key: SYSTEM\\CurrentControlSet\\Services\\Eventlog ",
                                                  "\t DisplayName Event Log",
                                                  "\t Start 00000002",
                                                  "",
                                                  "",
                                                  "   Key: SYSTEM\\CurrentControlSet\\Services\\Spooler ",
                                                  "\t DisplayName Print Spooler",
                                                  "\t Start 00000002",
                                                  " ",
                                                  kRule,
                                                  "Service Properties:",
                                                  " ",
                                                  "System Name: PC1",
                                                  "Name: Eventlog",
                                                  "Process ID: 196",
                                                  "Start Mode: Auto",
                                                  "",
                                                  "System Name: PC1",
                                                  "Name: Spooler",
                                                  "Process ID: 200",
                                                  "Start Mode: Auto",
                                                  "",
                                                  " ",
                                                  kRule,
                                                  " ",
                                                  "Service Status:",
                                                  " ",
                                                  "Event Log:   Running",
                                                  " ",
                                                  "Print Spooler:   Running"};

std::vector<std::string> servicesAfter() {
    std::vector<std::string> s = kServicesBefore;
    s[10] = "\t Start 00000004";
    s[23] = "Start Mode: Disabled";
    s[22] = "Process ID: 777"; // a restart gives another id: not a change
    return s;
}

const std::vector<std::string> kProcessesBefore = {
    kRule,
    "Tasklist - Processes and Threads:",
    " ",
    " ",
    "Process: explorer.exe",
    "Process ID: 76",
    "Working Set Size: 1000",
    "Process explorer.exe is owned by PC1\\ann.",
    " ID: 65600 - Active window handle: Shell_TrayWnd",
    "1 open window handles, visible: 1, Not visible: 0",
    "Loaded Modules for Process:",
    "C:\\WINDOWS\\EXPLORER.EXE\t6.0\t1000\tMay 1, 2008",
    "C:\\WINDOWS\\SYSTEM32\\A.DLL\t1.0\t10\tMay 1, 2008",
    "",
    "Process: svchost.exe",
    "Process ID: 90",
    "Process svchost.exe is owned by \\.",
    " 0 open window handles, visible: 0, Not visible: 0",
    "Loaded Modules for Process:",
    "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE\t5.1\t20\tMay 1, 2008"};

// The same processes in another order, with other ids, handles and memory,
// and a second copy of one of them.
const std::vector<std::string> kProcessesReordered = {
    kRule,
    "Tasklist - Processes and Threads:",
    " ",
    " ",
    "Process: svchost.exe",
    "Process ID: 300",
    "Process svchost.exe is owned by \\.",
    " 0 open window handles, visible: 0, Not visible: 0",
    "Loaded Modules for Process:",
    "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE\t5.1\t20\tMay 1, 2008",
    "",
    "Process: svchost.exe",
    "Process ID: 310",
    "Process svchost.exe is owned by \\.",
    " 0 open window handles, visible: 0, Not visible: 0",
    "Loaded Modules for Process:",
    "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE\t5.1\t20\tMay 1, 2008",
    "",
    "Process: explorer.exe",
    "Process ID: 412",
    "Working Set Size: 5000",
    "Process explorer.exe is owned by PC1\\ann.",
    " ID: 99999 - Active window handle: Shell_TrayWnd",
    "2 open window handles, visible: 1, Not visible: 1",
    "Loaded Modules for Process:",
    "C:\\WINDOWS\\EXPLORER.EXE\t6.0\t1000\tMay 1, 2008",
    "C:\\WINDOWS\\SYSTEM32\\A.DLL\t1.0\t10\tMay 1, 2008"};

std::vector<std::string> processesChanged() {
    std::vector<std::string> p = kProcessesBefore;
    p.insert(p.begin() + 13, "C:\\WINDOWS\\SYSTEM32\\HOOK.DLL\t2.0\t30\tJune 2, 2009");
    p[12] = "C:\\WINDOWS\\SYSTEM32\\A.DLL\t1.1\t12\tMay 2, 2008";
    p.insert(p.end(), {"", "Process: new.exe", "Process ID: 5",
                       "Loaded Modules for Process:", "C:\\APPS\\NEW.EXE\t1.0\t1\tMay 1, 2008",
                       "C:\\WINDOWS\\SYSTEM32\\B.DLL\t1.0\t1\tMay 1, 2008"});
    return p;
}

const std::vector<std::string> kDrives = {
    kRule,
    "Logical Drives:", "C:\\ Serial: 1124073472, System: NTFS, 77.392.183.296 byte free, Fixed DriveType",
    "D:\\ Serial: 1509949440, System: CDFS, 0 byte free, CD-ROM DriveType", kRule};

const std::vector<std::string> kAdapters = {kRule,
                                            "Network Adapter Properties:",
                                            " ",
                                            "Adapter Type: Ethernet 802.3",
                                            "Description: eth0",
                                            "MAC Address: 02:fc:00:00:00:01",
                                            "Speed: 1000000",
                                            "Adapter Type: Ethernet 802.3",
                                            "Description: eth1",
                                            "MAC Address: 02:fc:00:00:00:02",
                                            "Speed: 1000000"};

const std::vector<std::string> kHive = {"HKEY_CURRENT_USER Registry:",
                                        "",
                                        "",
                                        "   Key: Console",
                                        "\t FaceName: Lucida Console",
                                        "\t FontSize: 00100008",
                                        "",
                                        "",
                                        "   Key: Software",
                                        "   Key: Software\\Wine",
                                        "\t Version: win7",
                                        "",
                                        "",
                                        "   Key: Software\\Old",
                                        "   Key: Software\\Old\\Sub",
                                        "\t A: 1",
                                        "",
                                        "",
                                        "   Key: Software\\Old ",
                                        "\t B: 2"};

std::vector<std::string> hiveChanged() {
    std::vector<std::string> h = kHive;
    h[4] = "\t FaceName: DejaVu Sans Mono";
    h.insert(h.begin() + 12, {"   Key: Software\\New", "   Key: Software\\New\\Deeper", "\t X: 1", "", "",
                              "   Key: Software\\New ", "\t Y: two words", "\t Z: 3", "", ""});
    return h;
}

const std::vector<std::string> kFileTypes = {kRule,
                                             "Known file Types:",
                                             "",
                                             ".chm=chm.file,      .cpl=cplfile,      .hlp=hlpfile",
                                             ".inf=inffile,      .ini=inifile,      .its=ITS File",
                                             ".js=JSFile"};

const std::vector<std::string> kFileTypesOneRemoved = {kRule, "Known file Types:", "",
                                                       ".chm=chm.file,      .hlp=hlpfile,      .inf=inffile",
                                                       ".ini=inifile,      .its=ITS File,      .js=JSFile"};

const std::vector<std::string> kVolatileBefore = {
    kRule,
    "OperatingSystem:",
    "",
    "Caption: Microsoft Windows XP Professional",
    "FreePhysicalMemory: 24211056",
    "FreeVirtualMemory: 1000",
    "NumberOfProcesses: 31",
    "LocalDateTime: 20260101120000.000000+000",
    kRule,
    "MemoryStatus:",
    "",
    "                     2097151 free Kbytes of physical memory (2 percent in use).",
    "                     2079848 free Kbytes of virtual memory."};

const std::vector<std::string> kVolatileAfter = {
    kRule,
    "OperatingSystem:",
    "",
    "Caption: Microsoft Windows XP Professional",
    "FreePhysicalMemory: 1",
    "FreeVirtualMemory: 2",
    "NumberOfProcesses: 45",
    "LocalDateTime: 20260102080000.000000+000",
    kRule,
    "MemoryStatus:",
    "",
    "                     1000 free Kbytes of physical memory (90 percent in use).",
    "                     5 free Kbytes of virtual memory."};

// The network tools' output as the common report holds it: no heading of its
// own, so its title is ipconfig's first line (the host name under some).
std::vector<std::string> networkTools(const std::vector<std::string>& netstat) {
    return with({kRule, "    Hostname. . . . . . . . . . . . . : pc1", "",
                 "Ethernet adapter Local Area Connection 2:", "", "Active Connections", "",
                 "  Proto  Local Address          Foreign Address        State"},
                with(netstat, {"Interface Statistics", "",
                               "                           Received            Sent", ""}));
}

const std::vector<std::string> kNetstatBefore = {
    "  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING",
    "  TCP    10.0.0.5:1031          10.0.0.9:445           ESTABLISHED",
    "  TCP    10.0.0.5:1040          93.184.216.34:80       TIME_WAIT",
    "  UDP    0.0.0.0:500            *:*",
    "Bytes                     542132747          577760",
    "Unicast packets               11396            6587",
    "Unknown protocols                 0",
    "TCP Statistics for IPv4",
    "  Active Opens                        = 120",
    "  Segments Received                   = 5100"};

const std::vector<std::string> kNetstatAfter = {
    "  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING",
    "  TCP    0.0.0.0:8080           0.0.0.0:0              LISTENING",
    "  TCP    10.0.0.5:1077          10.0.0.9:445           CLOSE_WAIT",
    "  TCP    10.0.0.5:1078          10.0.0.9:139           SYN_SENT",
    "  UDP    0.0.0.0:500            *:*",
    "  UDP    0.0.0.0:1900           *:*",
    "Bytes                     542990001          600002",
    "Unicast packets               12001            7000",
    "Unknown protocols                 3",
    "TCP Statistics for IPv4",
    "  Active Opens                        = 131",
    "  Segments Received                   = 6000"};

const std::vector<std::string> kTcpipHead = {
    " Services in CurrentControlSet:", "", "",
    "   Key: SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters "};

using Outcome = Comparison::Outcome;

class CompareReports : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareReports, FindsWhatChanged) {
    const CompareCase& c = GetParam();
    const Comparison result = compareReports(c.before, c.after, "old.txt", "new.txt");
    ASSERT_EQ(result.outcome, c.outcome) << result.trouble << result.text;
    EXPECT_EQ(found(result), c.entries) << result.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareReports,
    ::testing::Values(
        CompareCase{
            "ServiceStartChanged",
            report(kServicesBefore),
            report(servicesAfter()),
            Outcome::Different,
            {"[Services in CurrentControlSet:]",
             "  changed: value SYSTEM\\CurrentControlSet\\Services\\Spooler: Start: 00000002 -> 00000004",
             "[Service Properties:]", "  changed: service Spooler: Start Mode: Auto -> Disabled"}},
        CompareCase{"ProcessesInAnotherOrderWithOtherIds",
                    report(with(commonHead(), kProcessesBefore)),
                    report(with(commonHead(), kProcessesReordered)),
                    Outcome::Same,
                    {}},
        CompareCase{
            "ProcessModulesAndANewProcess",
            report(with(commonHead(), kProcessesBefore)),
            report(with(commonHead(), processesChanged())),
            Outcome::Different,
            {"[Tasklist - Processes and Threads:]",
             "  added:   module C:\\WINDOWS\\SYSTEM32\\HOOK.DLL of process C:\\WINDOWS\\EXPLORER.EXE = "
             "2.0\t30\tJune 2, 2009",
             "  added:   process C:\\APPS\\NEW.EXE (with 3 entries under it)",
             "  changed: module C:\\WINDOWS\\SYSTEM32\\A.DLL of process C:\\WINDOWS\\EXPLORER.EXE: "
             "1.0\t10\tMay 1, 2008 -> 1.1\t12\tMay 2, 2008"}},
        CompareCase{"DriveFreeSpaceIsNoChange",
                    report(with(commonHead(), kDrives)),
                    [] {
                        std::vector<std::string> d = with(commonHead(), kDrives);
                        d[8] = "C:\\ Serial: 1124073472, System: NTFS, 1.000 byte free, Fixed DriveType";
                        return report(d);
                    }(),
                    Outcome::Same,
                    {}},
        CompareCase{
            "DriveSerialChanged",
            report(with(commonHead(), kDrives)),
            [] {
                std::vector<std::string> d = with(commonHead(), kDrives);
                d[9] = "D:\\ Serial: 7, System: CDFS, 0 byte free, CD-ROM DriveType";
                return report(d);
            }(),
            Outcome::Different,
            {"[Logical Drives:]",
             "  changed: drive D:\\: Serial: 1509949440, System: CDFS, # byte free, CD-ROM DriveType -> "
             "Serial: 7, System: CDFS, # byte free, CD-ROM DriveType"}},
        CompareCase{"AdapterByDescription",
                    report(with(commonHead(), kAdapters)),
                    [] {
                        std::vector<std::string> a = with(commonHead(), kAdapters);
                        a[15] = "MAC Address: 02:fc:00:00:00:99";
                        return report(a);
                    }(),
                    Outcome::Different,
                    {"[Network Adapter Properties:]",
                     "  changed: adapter eth1: MAC Address: 02:fc:00:00:00:02 -> 02:fc:00:00:00:99"}},
        CompareCase{"HiveKeyAddedAndValueChanged",
                    report(kHive),
                    report(hiveChanged()),
                    Outcome::Different,
                    {"[HKEY_CURRENT_USER Registry:]",
                     "  added:   key Software\\New (with 4 entries under it)",
                     "  changed: value Console: FaceName: Lucida Console -> DejaVu Sans Mono"}},
        // Binary data on the lines below its name belongs to that value.
        CompareCase{"HiveBinaryValueRunningOverLines",
                    report(with(kHive, {"", "", "   Key: Software\\Bin ", "\t Stamp: ",
                                        "\t 7e fc d2 62 91 87 dd 01 ", "\t 00 01 ", "\t After: 1"})),
                    report(with(kHive, {"", "", "   Key: Software\\Bin ", "\t Stamp: ",
                                        "\t d7 ef f8 30 93 87 dd 01 ", "\t 00 01 ", "\t After: 1"})),
                    Outcome::Different,
                    {"[HKEY_CURRENT_USER Registry:]", "  changed: value Software\\Bin: Stamp (continued): 7e "
                                                      "fc d2 62 91 87 dd 01 -> d7 ef f8 30 93 87 dd 01"}},
        CompareCase{
            "HiveKeyRemovedWithItsValues",
            report(kHive),
            report(std::vector<std::string>(kHive.begin(), kHive.begin() + 13)),
            Outcome::Different,
            {"[HKEY_CURRENT_USER Registry:]", "  removed: key Software\\Old (with 3 entries under it)"}},
        // The common report shows a key only by its values: a first value is no new key.
        CompareCase{
            "FirstValueOfAKeyShownOnlyByItsValues",
            report(with(commonHead(), {kRule,
                                       "Microsoft Windows current user Application Run at startup "
                                       "- keys and values:",
                                       ""})),
            report(with(commonHead(), {kRule,
                                       "Microsoft Windows current user Application Run at startup - "
                                       "keys and values:",
                                       "", "", "   Key: SOFTWARE\\Run ", "\t Tool C:\\a b\\tool.exe /q"})),
            Outcome::Different,
            {"[Microsoft Windows current user Application Run at startup - keys and values:]",
             "  added:   value SOFTWARE\\Run: Tool = C:\\a b\\tool.exe /q"}},
        CompareCase{"FileTypeRemovedFromALineOfThree",
                    report(with(commonHead(), kFileTypes)),
                    report(with(commonHead(), kFileTypesOneRemoved)),
                    Outcome::Different,
                    {"[Known file Types:]", "  removed: file type .cpl = cplfile"}},
        CompareCase{"FieldsThatChangeOnTheirOwn",
                    report(with(commonHead(), kVolatileBefore)),
                    report(with(commonHead(), kVolatileAfter)),
                    Outcome::Same,
                    {}},
        // Connections and counters come and go; a port a service listens on is the machine's.
        CompareCase{"NetstatListeningPortsComparedConnectionsAndCountersNot",
                    report(with(commonHead(), networkTools(kNetstatBefore))),
                    report(with(commonHead(), networkTools(kNetstatAfter))),
                    Outcome::Different,
                    {"[Hostname. . . . . . . . . . . . . : pc1]",
                     "  added:   line \"TCP    0.0.0.0:8080           0.0.0.0:0              LISTENING\"",
                     "  added:   line \"UDP    0.0.0.0:1900           *:*\""}},
        // The words of a counter or an id in a registry value are its data.
        CompareCase{
            "RegistryValueWordedLikeAChangingField",
            report(with(kHive, {"", "", "   Key: Software\\Filter ", "\t Description: Drops packets from A",
                                "\t Process ID: 1", "\t FreePhysicalMemory: 10"})),
            report(with(kHive, {"", "", "   Key: Software\\Filter ", "\t Description: Drops packets from B",
                                "\t Process ID: 2", "\t FreePhysicalMemory: 20"})),
            Outcome::Different,
            {"[HKEY_CURRENT_USER Registry:]",
             "  changed: value Software\\Filter: Description: Drops packets from A -> Drops packets from B",
             "  changed: value Software\\Filter: Process ID: 1 -> 2",
             "  changed: value Software\\Filter: FreePhysicalMemory: 10 -> 20"}},
        // "\t NAME DATA" with a blank in NAME: a known name is taken whole even alone in its key.
        CompareCase{
            "ServicesValueNamedWithABlankRemoved",
            report(with(kTcpipHead, {"\t NV Domain corp", "\t NV Hostname pc1"})),
            report(with(kTcpipHead, {"\t NV Hostname pc1"})),
            Outcome::Different,
            {"[Services in CurrentControlSet:]",
             "  removed: value SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters: NV Domain = corp"}},
        // Two value lines of a key sharing a first word hold names with a blank.
        CompareCase{"ServicesValuesSharingTheirFirstWord",
                    report(with(kTcpipHead,
                                {"\t Dns Suffix corp.example", "\t Dns Server 10.0.0.1", "\t Domain corp"})),
                    report(with(kTcpipHead,
                                {"\t Dns Suffix corp.example", "\t Dns Server 10.0.0.2", "\t Domain corp"})),
                    Outcome::Different,
                    {"[Services in CurrentControlSet:]",
                     "  changed: value SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters: Dns Server: "
                     "10.0.0.1 -> 10.0.0.2"}},
        CompareCase{
            "CarriageReturnsDoubledOrNot", report(kHive, "\r\r\n"), report(kHive, "\r\n"), Outcome::Same, {}},
        CompareCase{"RedactedLineIsNoPartOfTheReport",
                    report(kHive),
                    "Redacted: 1 user name, 2 MAC addresses\r\n" + report(kHive),
                    Outcome::Same,
                    {}},
        // A section no rule reads: its lines as a multiset.
        CompareCase{"OtherSectionsLineByLine",
                    report(with(commonHead(), {kRule, "Sound Card:", " ", "Name: A", "Name: B", "Name: B"})),
                    report(with(commonHead(), {kRule, "Sound Card:", " ", "Name: B", "Name: C"})),
                    Outcome::Different,
                    {"[Sound Card:]", "  removed: line \"Name: A\"", "  removed: line \"Name: B\" #2",
                     "  added:   line \"Name: C\""}},
        CompareCase{"SectionAddedAndRemoved",
                    report(with(commonHead(), {kRule, "Modem:", " ", "Name: M"})),
                    report(with(commonHead(), {kRule, "Battery:", " ", "Name: B1", "Charge: 90"})),
                    Outcome::Different,
                    {"[Modem:]", "  removed: the whole section (1 lines)", "[Battery:]",
                     "  added:   the whole section (2 lines)"}}),
    [](const ::testing::TestParamInfo<CompareCase>& info) { return std::string(info.param.name); });

struct TroubleCase {
    const char* name;
    std::string before;
    std::string after;
    const char* says;
};

void PrintTo(const TroubleCase& c, std::ostream* out) {
    *out << c.name;
}

class CompareTrouble : public ::testing::TestWithParam<TroubleCase> {};

TEST_P(CompareTrouble, RefusesWithOneLine) {
    const TroubleCase& c = GetParam();
    const Comparison result = compareReports(c.before, c.after, "old.txt", "new.txt");
    EXPECT_EQ(result.outcome, Outcome::Trouble) << result.text;
    EXPECT_NE(result.trouble.find(c.says), std::string::npos) << result.trouble;
    EXPECT_EQ(result.trouble.find_first_of("\r\n"), std::string::npos) << result.trouble;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareTrouble,
    ::testing::Values(TroubleCase{"DifferentKinds", report(kHive), report(kServicesBefore),
                                  "old.txt is a hkcu report, new.txt a services report"},
                      TroubleCase{"OldIsNoReport", "Just some notes\r\nabout a PC\r\n", report(kHive),
                                  "old.txt is not a Korvexer report"},
                      TroubleCase{"NewIsEmpty", report(kHive), "", "new.txt is not a Korvexer report"}),
    [](const ::testing::TestParamInfo<TroubleCase>& info) { return std::string(info.param.name); });

struct KindCase {
    const char* name;
    std::string text;
    const char* kind;
};

void PrintTo(const KindCase& c, std::ostream* out) {
    *out << c.name;
}

class ReportKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(ReportKind, ToldByTheHeading) {
    EXPECT_EQ(reportKind(reportLines(GetParam().text)), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportKind,
    ::testing::Values(
        KindCase{"Common", "User / Windows Environment:\r\r\nComputer name:      PC1\r\r\n", "common"},
        KindCase{"Services", " Services in CurrentControlSet:\r\n\r\r\n", "services"},
        KindCase{"Policies", "Windows system Policies config for the Windows Registration Database:\r\r\n",
                 "policies"},
        KindCase{"AppPaths", " Microsoft Windows Application Path - keys and values from Registry:\r\n",
                 "apppaths"},
        KindCase{"InternetExplorerWithoutProfiles",
                 "\r\n\r\n" + kRule + "\r\nIE Trusted Sites for current user:\r\n", "ie"},
        KindCase{"HiveSavedWhileTheTaskHeaderShowed", "Getting HKEY_USERS Registry: \r\n   Key: .Default\r\n",
                 "hku"},
        KindCase{"HiveAfterARedactedLine", "Redacted: 1 computer name\r\nHKEY_LOCAL_MACHINE Registry:\r\n",
                 "hklm"},
        KindCase{"RedactedLineAloneIsNoHeading", "Redacted: nothing\r\nnotes\r\n", ""},
        KindCase{"HeadingFarDownIsNoReport",
                 "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nHKEY_USERS Registry:\r\n", ""},
        KindCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST(CompareReports, NamesTheLeftOutFieldsInItsFirstLines) {
    const Comparison result = compareReports(report(kHive), report(kHive), "a", "b");
    const std::string head = result.text.substr(0, result.text.find("\r\n\r\n"));
    for (const std::string& name : volatileFieldNames())
        EXPECT_NE(head.find("  - " + name + "\r\n"), std::string::npos) << name;
    EXPECT_NE(head.find("  - the trailer"), std::string::npos);
    EXPECT_NE(result.text.find("No differences."), std::string::npos);
}

struct CompareLineCase {
    const char* name;
    const char* text;
    CommandLine::Action action;
    const char* oldFile;
    const char* newFile;
    const char* out;
};

void PrintTo(const CompareLineCase& c, std::ostream* out) {
    *out << c.name;
}

class CompareCommandLine : public ::testing::TestWithParam<CompareLineCase> {};

TEST_P(CompareCommandLine, DecidesTheRun) {
    const CompareLineCase& c = GetParam();
    const CommandLine line = parseCommandLine(c.text);
    ASSERT_EQ(line.action, c.action) << line.error;
    if (c.action == CommandLine::Action::Compare) {
        EXPECT_EQ(line.oldFile, c.oldFile);
        EXPECT_EQ(line.newFile, c.newFile);
        EXPECT_EQ(line.file, c.out);
    } else {
        // Refused like a comparison in trouble, as fc and diff do.
        EXPECT_EQ(line.errorExit, exitcode::kTrouble);
        EXPECT_FALSE(line.error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareCommandLine,
    ::testing::Values(
        CompareLineCase{"ToStandardOutput", "/compare a.txt b.txt", CommandLine::Action::Compare, "a.txt",
                        "b.txt", ""},
        CompareLineCase{"ToAFileWithBlanks", "-COMPARE \"C:\\r 1.txt\" b.txt \"C:\\out put.txt\"",
                        CommandLine::Action::Compare, "C:\\r 1.txt", "b.txt", "C:\\out put.txt"},
        CompareLineCase{"OneFileOnly", "/compare a.txt", CommandLine::Action::Error, "", "", ""},
        CompareLineCase{"EmptyOutputName", "/compare a.txt b.txt \"\"", CommandLine::Action::Error, "", "",
                        ""},
        CompareLineCase{"ExtraArgument", "/compare a b c d", CommandLine::Action::Error, "", "", ""},
        // A switch added out of habit is never a file: no comparison in "\quiet".
        CompareLineCase{"QuietAsOutput", "/compare a.txt b.txt /quiet", CommandLine::Action::Error, "", "",
                        ""},
        CompareLineCase{"DashSwitchAsOutput", "/compare a.txt b.txt -REDACT", CommandLine::Action::Error, "",
                        "", ""},
        CompareLineCase{"SwitchAsReport", "/compare /quiet a.txt b.txt", CommandLine::Action::Error, "", "",
                        ""}),
    [](const ::testing::TestParamInfo<CompareLineCase>& info) { return std::string(info.param.name); });

} // namespace
