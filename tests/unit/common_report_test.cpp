// The common environment report's own sections as functions of their inputs,
// and the catalogue run through a test context with a scripted runner.
#include "collect/common_report.h"
#include "collect/environment_collector.h"
#include "collect/hardware_section.h"
#include "collect/identity_section.h"
#include "collect/network_section.h"
#include "support/fake_code_page.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

const std::string kSep(75, '=');

// ---------------------------------------------------------------- folders

TEST(BatchQuotedPath, QuotesAndNeutralisesWhatTheCommandInterpreterWouldRead) {
    struct Case {
        std::string path;
        std::optional<std::string> quoted;
    } cases[] = {
        {"C:\\Windows\\System32", "\"C:\\Windows\\System32\""},
        {"C:\\Tom & Jerry\\Startup", "\"C:\\Tom & Jerry\\Startup\""},
        {"C:\\100%\\%PATH%", "\"C:\\100%%\\%%PATH%%\""},
        {"C:\\a\" & del x & \"b", std::nullopt},
        {std::string("C:\\a\nformat"), std::nullopt},
        {"C:\\Ren?\\Startup", std::nullopt},
        {"C:\\*", std::nullopt},
        {"", "\"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(batchQuotedPath(c.path), c.quoted) << c.path;
}

TEST(FolderLines, EveryResolvedFolderLongerThanOneCharacterInTableOrderAndTheCommands) {
    std::map<int, std::string> folders = {{7, "C:\\Users\\me\\Startup"},
                                          {24, "C:\\All\\Startup"},
                                          {37, "C:\\Windows\\System32"},
                                          {26, "X"},
                                          {48, "C:\\Admin Tools"}};
    TestContext context;
    const FolderCommands commands = writeFolderLines(context, [&](int csidl) -> std::optional<std::string> {
        auto it = folders.find(csidl);
        if (it == folders.end()) return std::nullopt;
        return it->second;
    });
    EXPECT_EQ(context.report, "\nAdmin Tools: C:\\Admin Tools\n"
                              "Common Startup: C:\\All\\Startup\n"
                              "Startup: C:\\Users\\me\\Startup\n"
                              "System: C:\\Windows\\System32\n");
    EXPECT_EQ(commands.startupListCommand, "dir \"C:\\Users\\me\\Startup\" /B");
    EXPECT_EQ(commands.commonStartupListCommand, "dir \"C:\\All\\Startup\" /B");
    EXPECT_EQ(commands.hostsCommand, "type \"C:\\Windows\\System32\\Drivers\\etc\\hosts\"");
    EXPECT_EQ(commands.systemFolder, "C:\\Windows\\System32");
}

TEST(FolderLines, CommandsStayBareWithoutFoldersAndAreNeverCutShort) {
    TestContext context;
    FolderCommands none = writeFolderLines(context, [](int) { return std::nullopt; });
    EXPECT_EQ(context.report, "\n");
    EXPECT_EQ(none.startupListCommand, "dir ");
    EXPECT_EQ(none.commonStartupListCommand, "dir ");
    EXPECT_EQ(none.hostsCommand, "type ");

    // A path longer than the old 270-byte command buffers: the command holds it whole.
    const std::string longPath = "C:\\" + std::string(300, 'd');
    context.report.clear();
    FolderCommands full = writeFolderLines(context, [&](int csidl) -> std::optional<std::string> {
        if (csidl == 7 || csidl == 37) return longPath;
        return std::nullopt;
    });
    EXPECT_EQ(full.startupListCommand, "dir \"" + longPath + "\" /B");
    EXPECT_EQ(full.hostsCommand, "type \"" + longPath + "\\Drivers\\etc\\hosts\"");

    // A folder no quoting makes safe runs nothing.
    FolderCommands unsafe = writeFolderLines(context, [&](int csidl) -> std::optional<std::string> {
        if (csidl == 7) return std::string("C:\\x\" & echo owned & \"");
        return std::nullopt;
    });
    EXPECT_EQ(unsafe.startupListCommand, "dir ");
}

TEST(FolderLines, CommandsInTheInterpretersCodePageAndBareForAnEmptyPath) {
    const BatchCodePage codePage{fakeToOem, fakeToAnsi};
    const std::map<int, std::string> folders = {{7, "C:\\Ren\xe9\\Startup"}, {24, ""}, {37, "C:\\Win\xa4"}};
    TestContext context;
    const FolderCommands commands = writeFolderLines(
        context,
        [&](int csidl) -> std::optional<std::string> {
            auto it = folders.find(csidl);
            if (it == folders.end()) return std::nullopt;
            return it->second;
        },
        codePage);
    // The report and the folders keep the ANSI names; only the batch lines change.
    EXPECT_EQ(context.report, "\nStartup: C:\\Ren\xe9\\Startup\nSystem: C:\\Win\xa4\n");
    EXPECT_EQ(commands.startupFolder, "C:\\Ren\xe9\\Startup");
    EXPECT_EQ(commands.startupListCommand, "dir \"C:\\Ren\x82\\Startup\" /B");
    // An empty name would list the current directory as if it were the folder.
    EXPECT_EQ(commands.commonStartupListCommand, "dir ");
    // A letter the interpreter cannot read would name another file.
    EXPECT_EQ(commands.hostsCommand, "type ");
    EXPECT_EQ(hostsFileCommand("", codePage), "type ");
}

TEST(FolderTable, FortyNineDistinctFoldersEndingInColonAndBlank) {
    std::set<int> ids;
    for (const SpecialFolder& folder : kSpecialFolders) {
        const std::string label = folder.label;
        EXPECT_EQ(label.substr(label.size() - 2), ": ") << label;
        ids.insert(folder.csidl);
    }
    EXPECT_EQ(ids.size(), 49u);
    EXPECT_STREQ(kSpecialFolders[45].label, "Startup: ");
    EXPECT_EQ(kSpecialFolders[45].csidl, 7);
    EXPECT_STREQ(kSpecialFolders[47].label, "System: ");
    EXPECT_EQ(kSpecialFolders[47].csidl, 37);
}

// ---------------------------------------------------------------- accounts

TEST(AccountLines, LastEnumeratedFirstWithOnlyTheLinesThatHaveText) {
    std::vector<Account> enumerated = {
        {"Administrator", "Built-in account", "", 500, 66049},
        {"Guest", "c", "Guest User", 501, 66179},
        {"x", "", "", 1003, 513},
    };
    TestContext context;
    writeAccountLines(context, inReportOrder(enumerated),
                      [](const std::string& account) -> std::optional<std::string> {
                          if (account == "Administrator") return std::string("C:\\Docs\\Admin");
                          if (account == "Guest") return std::string("G"); // one character: absent
                          return std::nullopt;
                      });
    const std::string rule = "\t================================\n";
    EXPECT_EQ(context.report, "All active users:\n"
                              "\tUser id: 1003, \tFlags: 513\n" +
                                  rule +
                                  "\tName: Guest: \n"
                                  "\tFull name: Guest User\n"
                                  "\tUser id: 501, \tFlags: 66179\n" +
                                  rule +
                                  "\tName: Administrator: \n"
                                  "\tDocFolderPath: \tC:\\Docs\\Admin\n"
                                  "\tComment: Built-in account\n"
                                  "\tUser id: 500, \tFlags: 66049\n" +
                                  rule + "\n");
}

TEST(AccountLines, NamesWithPercentSignsAreWrittenAsTheyAre) {
    TestContext context;
    writeAccountLines(context, {{"%s%n&\"x\"", "", "", 1, 2}},
                      [](const std::string&) { return std::nullopt; });
    EXPECT_NE(context.report.find("\tName: %s%n&\"x\": \n"), std::string::npos) << context.report;
}

// ---------------------------------------------------------------- computer names

TEST(ComputerNameLines, FormatsWithANameLongerThanOneCharacter) {
    TestContext context;
    writeComputerNameLines(context, [](int format) -> std::optional<std::string> {
        switch (format) {
        case 0:
            return std::string("KORVEX");
        case 1:
            return std::string("korvex");
        case 2:
            return std::string(""); // not in a domain
        case 3:
            return std::string("korvex");
        case 5:
            return std::string("k");
        default:
            return std::nullopt;
        }
    });
    EXPECT_EQ(context.report, "NetBIOS: KORVEX\nDNS hostname: korvex\nDNS fully-qualified: korvex\n");
    EXPECT_STREQ(kComputerNameFormats[7], "Physical DNS fully-qualified");
}

// ---------------------------------------------------------------- network

AdapterFacts adapter(bool dhcp, bool wins) {
    AdapterFacts a;
    a.name = "{GUID-1}";
    a.description = "Fast Ethernet";
    a.address = {0x00, 0x0c, 0x29, 0x81, 0x02, 0x03};
    a.ipAddress = "192.168.1.5";
    a.ipMask = "255.255.255.0";
    a.gateway = "192.168.1.1";
    a.dhcpEnabled = dhcp;
    a.dhcpServer = "192.168.1.1";
    a.leaseObtained = 1165000000;
    a.haveWins = wins;
    a.primaryWins = "10.0.0.1";
    a.secondaryWins = "10.0.0.2";
    return a;
}

TEST(AdapterBlock, DhcpAndWinsOnAndOff) {
    const std::string head = "\tAdapter Name: \t{GUID-1}\n\tAdapter Desc: \tFast Ethernet\n"
                             "\tAdapter Addr: \t696320515\n\tIP Address: \t192.168.1.5\n"
                             "\tIP Mask: \t255.255.255.0\n\tGateway: \t192.168.1.1\n";
    const std::string dhcpOn =
        "\tDHCP Enabled: Yes\n\t\tDHCP Server: \t192.168.1.1\n\tLease Obtained: 1165000000\n";
    const std::string winsOn = "\tHave Wins: Yes\n\t\tPrimary Wins Server: \t10.0.0.1\n"
                               "\t\tSecondary Wins Server: \t10.0.0.2\n";
    struct Case {
        bool dhcp, wins;
        std::string tail;
    } cases[] = {
        {false, false, "\tDHCP Enabled: No\n\tHave Wins: No\n"},
        {true, false, dhcpOn + "\tHave Wins: No\n"},
        {false, true, "\tDHCP Enabled: No\n" + winsOn},
        {true, true, dhcpOn + winsOn},
    };
    for (const Case& c : cases)
        EXPECT_EQ(adapterBlock(adapter(c.dhcp, c.wins)), head + c.tail) << c.dhcp << c.wins;
}

TEST(AdapterAddress, LastFourBytesMostSignificantFirstSigned) {
    struct Case {
        std::vector<uint8_t> bytes;
        long number;
    } cases[] = {
        {{}, 0},
        {{0x01, 0x02}, 0x0102},
        {{0x00, 0x0c, 0x29, 0x81, 0x02, 0x03}, 0x29810203},
        {{0x00, 0x50, 0xff, 0xff, 0xff, 0xfe}, -2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(adapterAddressNumber(c.bytes), c.number);
}

TEST(AdapterSection, NumberedFromOneWithABlankBeforeTheFirstLine) {
    TestContext context;
    EXPECT_TRUE(writeAdapterSection(context, {adapter(false, false), adapter(true, true)}));
    EXPECT_EQ(
        context.report.rfind("\n" + kSep + "\nNetwork:\n\n1. Network Adapters Info:\n \tAdapter Name: ", 0),
        0u);
    EXPECT_NE(context.report.find("\tHave Wins: No\n2. Network Adapters Info:\n \tAdapter Name: "),
              std::string::npos);
}

TEST(HostsSection, OnlyForACommandThatNamesAFile) {
    TestContext context;
    FolderCommands commands;
    EXPECT_TRUE(writeHostsSection(context, commands));
    EXPECT_EQ(context.report, "");
    EXPECT_TRUE(context.fakeRunner().calls.empty());

    commands.systemFolder = "C:\\W\\S";
    commands.hostsCommand = hostsFileCommand(commands.systemFolder, BatchCodePage{fakeToOem, fakeToAnsi});
    context.fakeRunner().answer = [](const FakeRunner::Call&) {
        return FakeRunner::Answer{"127.0.0.1 localhost\n"};
    };
    EXPECT_TRUE(writeHostsSection(context, commands));
    EXPECT_EQ(context.report,
              kSep + "\n\nLocal host file: C:\\W\\S\\Drivers\\etc\\hosts\n\n127.0.0.1 localhost\n\n");
    ASSERT_EQ(context.fakeRunner().calls.size(), 1u);
    EXPECT_EQ(context.fakeRunner().calls[0].text, "type \"C:\\W\\S\\Drivers\\etc\\hosts\"");
}

TEST(NetworkTools, InOrderWithTheirLineFeedsAndStoppedByAHalt) {
    TestContext context;
    context.fakeRunner().answer = [](const FakeRunner::Call& call) {
        return FakeRunner::Answer{"<" + call.text + ">"};
    };
    EXPECT_TRUE(writeNetworkToolsSection(context));
    EXPECT_EQ(context.report, kSep + "\n<ipconfig /all>\n<netstat -r>\n<netstat><netstat -n><netstat -e -s>"
                                     "<nbtstat -s><nbtstat -n>\n<net use><net share>");

    TestContext halted;
    halted.fakeRunner().answer = [&](const FakeRunner::Call& call) {
        if (call.text == "netstat -n") halted.halt = true;
        return FakeRunner::Answer{"<" + call.text + ">"};
    };
    EXPECT_FALSE(writeNetworkToolsSection(halted));
    EXPECT_EQ(halted.fakeRunner().calls.back().text, "netstat -n");
}

// ---------------------------------------------------------------- hardware

TEST(MemorySection, KilobytesRightAlignedInTwentyEightWithTheUnit) {
    MemoryFigures m;
    m.length = 32;
    m.load = 41;
    m.totalPhys = 2147483648u;
    m.availPhys = 1024u * 1024;
    m.totalPageFile = 4095u * 1024 * 1024;
    m.availPageFile = 1023;
    m.totalVirtual = 2147352576u;
    m.availVirtual = 2000000000u;
    TestContext context;
    writeMemorySection(context, m);
    EXPECT_EQ(context.report,
              kSep + "\nMemoryStatus:\n\nThe MemoryStatus structure is 32 bytes long and it should be 32.\n"
                     "                     2097152 total Kbytes of physical memory.\n"
                     "                        1024 free Kbytes of physical memory (41 percent in use).\n"
                     "                     4193280 total Kbytes of paging file.\n"
                     "                           0 free Kbytes of paging file.\n"
                     "                     2097024 total Kbytes of virtual memory.\n"
                     "                     1953125 free Kbytes of virtual memory.\n\n");
}

TEST(GroupedDigits, DotsBetweenGroupsOfThreeFromTheRight) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1.000"},
        {12345, "12.345"},
        {12345678, "12.345.678"},
        {1000000, "1.000.000"},
        {18446744073709551615ull, "18.446.744.073.709.551.615"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(groupedDigits(value), text);
}

TEST(KeyboardSection, OneLinePerKnownTypeNoneOutside) {
    const char* const expected[] = {
        nullptr,
        "Keyboard Type: IBM PC/XT or compatible (83-key) keyboard\n",
        "Keyboard Type: Olivetti \"ICO\" (102-key) keyboard\n",
        "Keyboard Type: IBM PC/AT (84-key) or similar keyboard\n",
        "Keyboard Type: IBM enhanced (101- or 102-key) keyboard\n",
        "Keyboard Type: Nokia 1050 and similar keyboards\n",
        "Keyboard Type: Nokia 9140 and similar keyboards\n",
        "Keyboard Type: Japanese keyboard\n",
        nullptr,
    };
    for (int type = 0; type <= 8; ++type) {
        TestContext context;
        writeKeyboardSection(context, type);
        EXPECT_EQ(context.report, kSep + "\nKeyboardType OS:\n\n" + (expected[type] ? expected[type] : ""))
            << type;
    }
    EXPECT_EQ(keyboardTypeLine(-1), nullptr);
}

TEST(DriveLines, VolumeLabelSerialFileSystemFreeSpaceAndType) {
    DriveFacts floppy{"A:\\", false, "", "", 0, std::nullopt, 2, std::nullopt};
    DriveFacts system{"C:\\", true, "SYSTEM", "NTFS", 1234567890u, 12345678901ull, 3, std::nullopt};
    DriveFacts bare{"D:\\", true, "", "FAT", 4294967295u, 999, 5, std::nullopt};
    DriveFacts odd{"E:\\", true, "L", "", 7, 1000, 7, std::nullopt};
    EXPECT_EQ(driveLine(floppy), "A:\\ No Volume, Removable DriveType\n");
    EXPECT_EQ(
        driveLine(system),
        "C:\\ Volume: SYSTEM, Serial: 1234567890, System: NTFS, 12.345.678.901 byte free, Fixed DriveType\n");
    EXPECT_EQ(driveLine(bare), "D:\\ Serial: 4294967295, System: FAT, 999 byte free, CD-ROM DriveType\n");
    EXPECT_EQ(driveLine(odd), "E:\\ Serial: 7, 1.000 byte free, \n");
    EXPECT_EQ(logicalDrivesText({floppy, bare}),
              "Logical Drives:\nA:\\ No Volume, Removable DriveType\n"
              "D:\\ Serial: 4294967295, System: FAT, 999 byte free, CD-ROM DriveType\n");
    const char* const types[] = {
        "Unknown DriveType", "Invalid path DriveType", "Removable DriveType", "Fixed DriveType",
        "Network drive",     "CD-ROM DriveType",       "RAM disk DriveType",  ""};
    for (unsigned int t = 0; t < 8; ++t)
        EXPECT_EQ(driveTypeText(t), types[t]);
}

// ---------------------------------------------------------------- the catalogue

// A runner that answers the way Wine's tools do: probes of the missing tools
// see nothing, the process list names this program `copies` times.
struct Catalogue : ::testing::Test {
    TestContext context;
    int copies = 1;
    std::vector<int> rowsSeen;
    void SetUp() override {
        context.fakeRunner().answer = [this](const FakeRunner::Call& call) {
            if (call.mode == RunMode::ScriptCountInstances) {
                std::string list = "Process: explorer.exe\n";
                for (int i = 0; i < copies; ++i)
                    list += "Process: Korvexer.exe\n";
                return FakeRunner::Answer{list};
            }
            if (call.text == "bootcfg.exe /Query") return FakeRunner::Answer{""};
            if (call.mode == RunMode::Script) return FakeRunner::Answer{""};
            return FakeRunner::Answer{"<" + call.text + ">\n"};
        };
    }
    bool run(EnvironmentCollector& collector) {
        collector.beforeRow = [this](int row) { rowsSeen.push_back(row); };
        collector.run();
        return rowsSeen.size() == 49;
    }
    std::vector<std::string> commandsRun() {
        std::vector<std::string> texts;
        for (const FakeRunner::Call& call : context.fakeRunner().calls)
            if (call.mode == RunMode::Plain && !call.probeOnly) texts.push_back(call.text);
        return texts;
    }
};

TEST_F(Catalogue, RowsInOrderAndTheirHeadersInOrder) {
    for (int i = 0; i < 49; ++i)
        EXPECT_EQ(kCommonReportRows[i].number, i + 1);
    EXPECT_EQ(kLastBusyCursorRow, 39);

    EnvironmentCollector collector(context, false);
    ASSERT_TRUE(run(collector));
    const std::string& r = context.report;
    const std::vector<std::string> headers = {"User / Windows Environment:\nComputer name:      ",
                                              "\nUser name:          ",
                                              "Administrator rights\n",
                                              "Current directory: ",
                                              "All active users:\n",
                                              "\n" + kSep + "\nOperatingSystem:\n\n",
                                              "\n" + kSep + "\nPC Supplement data:\n\n",
                                              kSep + "\nKeyboardType OS:\n\n",
                                              "Registry Video Bios Date:        ",
                                              kSep + "\nMemoryStatus:\n",
                                              "<mem /c>\n",
                                              kSep + "\n<mode>\n",
                                              kSep + "\nAll environment strings:\n\n",
                                              kSep + "\nKnown file Types:\n\n<assoc>\n",
                                              kSep + "\nDrivers:\n<driverquery.exe>\n",
                                              kSep + "\nWindows Local systeminfo:\n<systeminfo>\n",
                                              "\n" + kSep + "\nNetwork:\n\n",
                                              kSep + "\n<ipconfig /all>\n\n<netstat -r>\n\n<netstat>\n",
                                              "<net share>\n",
                                              kSep + "\nLogical Drives:\n",
                                              kSep + "\n\r\n" + kSep + "\r\nKorvexer.exe -> "};
    size_t at = 0;
    for (const std::string& header : headers) {
        const size_t found = r.find(header, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << header << "\n" << r;
        at = found + header.size();
    }
    std::vector<std::string> expected = {"mem /c", "mode", "driverquery.exe", "systeminfo"};
    std::vector<std::string> commands = commandsRun();
    // The Startup folders' listings run where their folders resolve (their rows have tests of their own).
    std::erase_if(commands, [](const std::string& c) { return c.rfind("dir \"", 0) == 0; });
    ASSERT_GE(commands.size(), 14u);
    // The hosts file (the system folder resolves under the test's Windows), then the network tools.
    EXPECT_EQ(commands[4].rfind("type \"", 0), 0u) << commands[4];
    for (const char* tool : kNetworkTools)
        expected.push_back(tool);
    commands.erase(commands.begin() + 4);
    commands.resize(expected.size());
    EXPECT_EQ(commands, expected);
    // A probe that saw nothing leaves no header.
    EXPECT_EQ(r.find("Boot Loader:"), std::string::npos);
    EXPECT_TRUE(collector.sweepDue());
    EXPECT_FALSE(context.animating);
    // The count run is the last run.
    EXPECT_EQ(context.fakeRunner().calls.back().mode, RunMode::ScriptCountInstances);
    EXPECT_NE(context.fakeRunner().calls.back().text.find("Process: "), std::string::npos);
}

TEST_F(Catalogue, AnotherRunningCopyKeepsTheWorkFiles) {
    for (int running : {0, 2, 3}) {
        copies = running;
        rowsSeen.clear();
        context.report.clear();
        EnvironmentCollector collector(context, false);
        ASSERT_TRUE(run(collector));
        EXPECT_FALSE(collector.sweepDue()) << running;
    }
}

TEST_F(Catalogue, HaltDuringRowTwentyEndsTheReportAfterRowNineteen) {
    EnvironmentCollector collector(context, false);
    collector.beforeRow = [this](int row) { rowsSeen.push_back(row); };
    // Raised while the port run's script is running.
    const auto answer = context.fakeRunner().answer;
    context.fakeRunner().answer = [this, answer](const FakeRunner::Call& call) {
        if (call.text.find("Win32_ParallelPort") != std::string::npos) {
            context.halt = true;
            return FakeRunner::Answer{""};
        }
        return answer(call);
    };
    collector.run();
    EXPECT_EQ(rowsSeen.back(), 20);
    // Row 19 wrote the last text: the output of "mem /c".
    const std::string tail = "<mem /c>\n";
    ASSERT_GE(context.report.size(), tail.size());
    EXPECT_EQ(context.report.substr(context.report.size() - tail.size()), tail);
    EXPECT_EQ(context.report.find("Network:"), std::string::npos);
    // The port run was the last one: nothing after it started.
    EXPECT_NE(context.fakeRunner().calls.back().text.find("Win32_ParallelPort"), std::string::npos);
    EXPECT_FALSE(collector.sweepDue());
    // The halted task's flags belong to the task driver.
    EXPECT_TRUE(context.animating);
}

TEST_F(Catalogue, HaltDuringTheCountRunSweepsNothing) {
    context.fakeRunner().answer = [this](const FakeRunner::Call& call) {
        if (call.mode == RunMode::ScriptCountInstances) {
            context.halt = true;
            return FakeRunner::Answer{"Process: Korvexer.exe\n"};
        }
        return FakeRunner::Answer{""};
    };
    EnvironmentCollector collector(context, false);
    collector.run();
    EXPECT_FALSE(collector.sweepDue());
    // The trailer of row 48 is written all the same.
    EXPECT_NE(context.report.find("Korvexer.exe -> "), std::string::npos);
}

// Records the window's side of a run: the cursor and the default button.
struct WindowSideContext : TestContext {
    std::vector<std::pair<bool, int>> cursor; // shape, last row begun
    int defaultButtonCleared = 0;
    int row = 0;
    void showBusyCursor(bool on) override { cursor.emplace_back(on, row); }
    void clearDefaultButton() override { ++defaultButtonCleared; }
};

TEST(CatalogueWindowSide, BusyCursorFromTheStartUntilRowThirtyNineAndNoDefaultButton) {
    WindowSideContext context;
    EnvironmentCollector collector(context, false);
    collector.beforeRow = [&](int row) {
        // Before the first row the window's side is already set up.
        if (row == 1) {
            EXPECT_EQ(context.defaultButtonCleared, 1);
        }
        context.row = row;
    };
    collector.run();
    const std::vector<std::pair<bool, int>> expected = {{true, 0}, {false, 39}};
    EXPECT_EQ(context.cursor, expected);
    EXPECT_EQ(context.defaultButtonCleared, 1);
}

} // namespace
