// "Get common Windows Environment" to its end under Wine: the sections in the
// order of the catalogue, the closing sweep of stale work files, and no sweep
// (nor anything else) after a halt.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using automation::App;
using automation::waitUntil;

struct CommonReport : ::testing::Test {
    TempDir work;
    App app{work.path()};
    void SetUp() override { ASSERT_TRUE(automation::readyForCommands(app)); }
    // The finished report as the view shows it, carriage returns left out.
    std::string runReport() {
        app.press(IDC_COMMON_ENV);
        std::string view;
        waitUntil(
            [&] {
                view = app.text(IDC_REPORT_VIEW);
                return view.find("Korvexer.exe -> ") != std::string::npos && app.text(IDC_STATUS_LINE) == " ";
            },
            180000);
        view.erase(std::remove(view.begin(), view.end(), '\r'), view.end());
        return view;
    }
    // Files an earlier run might have left behind.
    std::vector<std::string> plantStaleFiles() {
        std::vector<std::string> paths;
        for (const char* name : {"Korvexer_work_file.1234560.txt", "korvexDlg32_temp_file.2345670.txt",
                                 "korvexDlg32_work_file.3456780.bat"}) {
            const std::string path = work.path() + "\\" + name;
            HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
            CloseHandle(file);
            paths.push_back(path);
        }
        return paths;
    }
    // The text of a script the runner has written for a run, when one holds `marker`.
    std::string runnerScriptHolding(const std::string& marker) const {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((work.path() + "korvexDlg32_work_file.*.vbs").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return {};
        std::string text;
        do {
            // Shared for deleting: the runner removes a finished run's script
            // at any moment, and a reader in its way would leave it behind.
            const std::string script = automation::readShared(work.path() + found.cFileName);
            if (script.find(marker) != std::string::npos) text = script;
        } while (text.empty() && FindNextFileA(find, &found));
        FindClose(find);
        return text;
    }
    // The names in a folder, for a failure's message.
    static std::string filesIn(const std::string& dir) {
        std::string names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir + "*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            names += std::string(" ") + found.cFileName;
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    }
    static bool exists(const std::string& path) {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

const std::string kSep(75, '=');

// The header lines a WMI block echoes before its items.
std::string title(const std::string& text) {
    return " \n" + kSep + "\n" + text + "\n \n";
}

TEST_F(CommonReport, SectionHeadersInCatalogueOrder) {
    const std::string report = runReport();
    ASSERT_NE(report.find("Korvexer.exe -> "), std::string::npos) << report.substr(0, 500);
    const bool administrator = report.find("  - NO Administrator rights\n") == std::string::npos;
    enum Presence { Always, Maybe, NeverUnderWine };
    struct Header {
        std::string text;
        Presence presence;
    } catalogue[] = {
        {"User / Windows Environment:\nComputer name:      ", Always},
        {"\nUser name:          ", Always},
        {"Administrator rights\n", Always},
        {"Current directory: ", Always},
        {"All active users:\n", Always},
        {"\n" + kSep + "\nOperatingSystem:\n\n", Always},
        // The operating system's WMI run reaches its last properties.
        {"\nTotalVisibleMemorySize: ", Always},
        {"\nVersion: ", Always},
        {"\n" + kSep + "\nPC Supplement data:\n\n", Always},
        {"\n" + kSep + "\nDesktop Settings:", Always},
        {"\n" + kSep + "\nIRQ Settings:\n", Always},
        {title("CPU :"), Always},
        {title("Baseboard:"), Always},
        {title("BUS:"), Always},
        {title("MotherboardDevice:"), Always},
        {title("SMBIOS:"), Always},
        {title("BIOS:"), Always},
        {kSep + "\nKeyboardType OS:\n\n", Always},
        {title("Keyboard data:"), Always},
        {title("Plug and Play Devices:"), Always},
        {title("Modem:"), Always},
        // Wine claims a Windows from XP on by default.
        {title("Plug and Play Signed Drivers:"), Always},
        {title("Pointing Device:"), Always},
        {title("Sound Card:"), Always},
        {title("All Possible Video Controller Resolutions:"), Always},
        {title("Current Display Configuration:"), Always},
        {title("Monitor Properties:"), Always},
        {title("Video Adapter:"), Always},
        {title("Video Controller:"), Always},
        {"Registry Video Bios Date:        ", Always},
        {title("Cache Memory:"), Always},
        {title("Device Memory Addresses:"), Always},
        {title("DMA:"), Always},
        {title("Memory Array:"), Always},
        {title("Memory Devices:"), Always},
        {title("Physical Memory:"), Always},
        {title("Physical Memory Configuration:"), Always},
        {kSep + "\nMemoryStatus:\n\n", Always},
        {title("Parallel Port:"), Always},
        {title("PCMCIA Controller:"), Always},
        {title("Port Connector:"), Always},
        {title("Port Resource:"), Always},
        {title("Serial Port Configuration:"), Always},
        {title("Serial Port:"), Always},
        {title("System Slot:"), Always},
        {title("Battery:"), Always},
        {title("Portable Battery:"), Always},
        {title("Printer Connections:"), Always},
        {title("Printer Drivers:"), Always},
        {title("Floppy Controller:"), Always},
        {title("IDE Controller:"), Always},
        {title("SCSI Controller:"), Always},
        {title("USB Controller:"), Always},
        {title("NTFS:"), Always},
        // Only administrators may send drive commands.
        {"\n" + kSep + "\nIDE drives installed:\n", administrator ? Always : NeverUnderWine},
        {title("Physical Disk Description :"), Always},
        {kSep + "\nAll environment strings:\n\n", Always},
        {title("All Environment Variables -> user details :"), Always},
        // The registry dumps appear where their keys exist.
        {"Microsoft Windows Password Hints - keys and values:\n", Maybe},
        {"Microsoft Windows Reinstall - keys and values:\n", Maybe},
        {"Microsoft Windows local machine Application Run at startup - keys and values:\n", Maybe},
        {"Microsoft Windows current user Application Run at startup - keys and values:\n", Maybe},
        // Wine resolves both Startup folders.
        {"\nWindows Application startUP: ", Always},
        {"\nWindows Application startUP - All Users: ", Always},
        {title("Computer Startup Commands  - User dependence:"), Always},
        // Wine's command interpreter has "assoc"; it has no "driverquery.exe".
        {kSep + "\nKnown file Types:\n\n", Always},
        {kSep + "\nDrivers:\n", NeverUnderWine},
        {kSep + "\nDrivers Filename (Kernel):\n\n", Maybe},
        // The task list's title reaches the report through the process blocks.
        {"Tasklist - Processes and Threads:", Always},
        // Wine's systeminfo prints nothing and it has no bootcfg.exe: their
        // probes see no output and the headers stay out.
        {kSep + "\nWindows Local systeminfo:\n", NeverUnderWine},
        {kSep + "\nBoot Loader:\n", NeverUnderWine},
        {title("Computer Startup Options:"), Always},
        {"\n" + kSep + "\nNetwork:\n\n", Always},
        {title("Network Adapter Properties:"), Always},
        {kSep + "\n\nLocal host file: ", Always},
        {"NetBIOS: ", Always},
        {kSep + "\nLogical Drives:\n", Always},
        {"\n" + kSep + "\nKorvexer.exe -> ", Always},
    };
    // Each header is looked for after the one before it: a header that is
    // missing or out of order is not found.
    size_t from = 0;
    for (const Header& header : catalogue) {
        if (header.presence == NeverUnderWine) {
            EXPECT_EQ(report.find(header.text), std::string::npos) << "present: " << header.text;
            continue;
        }
        const size_t at = report.find(header.text, from);
        if (header.presence == Always) {
            EXPECT_NE(at, std::string::npos) << "missing or out of order: " << header.text;
        }
        if (at != std::string::npos) from = at + header.text.size();
    }
    // The scripts ran whole: the script host reported no error.
    EXPECT_EQ(report.find("Microsoft VBScript"), std::string::npos);
    EXPECT_EQ(report.find("WMI run left out"), std::string::npos);
    // The report ends with its trailer: the instance count and the sweep write nothing.
    EXPECT_EQ(report.substr(report.rfind(kSep)).find("\nKorvexer.exe -> "), kSep.size());
}

// The process section is made from the task list that the report's WMI run
// captures: this program's block must show its dialog and its modules.
TEST_F(CommonReport, ProcessSectionListsThisProgramsWindowAndModules) {
    const std::string report = runReport();
    ASSERT_NE(report.find("Korvexer.exe -> "), std::string::npos) << report.substr(0, 500);
    const std::string idLine = "\nProcess ID: " + std::to_string(app.processId()) + "\n";
    const size_t begin = report.find(idLine);
    ASSERT_NE(begin, std::string::npos) << "Korvexer.exe is not in the task list";
    const size_t end = report.find("\nProcess ID: ", begin + idLine.size());
    const std::string block =
        report.substr(begin, end == std::string::npos ? std::string::npos : end - begin);

    char title[256] = {};
    char className[256] = {};
    GetWindowTextA(app.window(), title, sizeof title - 1);
    GetClassNameA(app.window(), className, sizeof className - 1);
    ASSERT_NE(title[0], '\0');
    const std::string windowLine = "ID: " + std::to_string(reinterpret_cast<uintptr_t>(app.window())) +
                                   " - Active window handle: " + title + ", " + className + "\n";
    EXPECT_NE(block.find(windowLine), std::string::npos) << windowLine << block;
    EXPECT_NE(block.find(" open window handles, visible: "), std::string::npos) << block;

    const size_t modules = block.find("Loaded Modules for Process:\n");
    ASSERT_NE(modules, std::string::npos) << block;
    std::string exe = automation::korvexerPath();
    CharUpperBuffA(exe.data(), static_cast<DWORD>(exe.size()));
    for (const std::string& module : {exe, std::string("\\KERNEL32.DLL"), std::string("\\USER32.DLL")}) {
        const std::string column = module + "\t";
        EXPECT_NE(block.find(column, modules), std::string::npos) << module << "\n" << block;
    }
}

TEST_F(CommonReport, CompleteReportSweepsStaleWorkFilesOfEarlierRuns) {
    const std::vector<std::string> stale = plantStaleFiles();
    const std::string report = runReport();
    ASSERT_NE(report.find("Korvexer.exe -> "), std::string::npos);
    for (const std::string& path : stale)
        EXPECT_TRUE(waitUntil([&] { return !exists(path); }, 15000)) << path;
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000));
}

TEST_F(CommonReport, AnotherRunningCopyKeepsEveryWorkFile) {
    App other{work.path()};
    ASSERT_TRUE(automation::readyForCommands(other));
    const std::vector<std::string> stale = plantStaleFiles();
    const std::string report = runReport();
    ASSERT_NE(report.find("Korvexer.exe -> "), std::string::npos);
    // The sweep comes before the status line goes blank: it would be done by now.
    Sleep(2000);
    for (const std::string& path : stale)
        EXPECT_TRUE(exists(path)) << path;
}

TEST_F(CommonReport, HaltedReportSweepsNothing) {
    const std::vector<std::string> stale = plantStaleFiles();
    app.press(IDC_COMMON_ENV);
    // The first command-runner run of the report (the operating system's WMI script).
    ASSERT_TRUE(waitUntil([&] { return !automation::descendantProcesses(app.processId()).empty(); }, 60000));
    // While the report runs Enter presses no button: the default is an id no control has.
    const LRESULT defaultButton = SendMessageA(app.window(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defaultButton), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defaultButton), 12321);
    app.press(IDC_CLEAR);
    ASSERT_TRUE(waitUntil([&] { return app.text(IDC_STATUS_LINE).empty(); }, 15000));
    ASSERT_TRUE(waitUntil([&] { return automation::descendantProcesses(app.processId()).empty(); }, 15000));
    Sleep(2000);
    for (const std::string& path : stale)
        EXPECT_TRUE(exists(path)) << path;
}

TEST_F(CommonReport, HaltDuringThePortRunStartsNothingMoreAndSweepsNothing) {
    const std::vector<std::string> stale = plantStaleFiles();
    app.press(IDC_COMMON_ENV);
    // Row 20 is the WMI run of the ports: its script names the parallel ports.
    ASSERT_TRUE(waitUntil([&] { return !runnerScriptHolding("Win32_ParallelPort").empty(); }, 150000));
    app.press(IDC_CLEAR);
    ASSERT_TRUE(waitUntil([&] { return app.text(IDC_STATUS_LINE).empty(); }, 15000));
    ASSERT_TRUE(waitUntil([&] { return automation::descendantProcesses(app.processId()).empty(); }, 15000));
    // The rows after 20 run console tools and scripts of their own (mode,
    // ipconfig, netstat, the instance count): none of them may start now.
    const bool somethingStarted =
        waitUntil([&] { return !automation::descendantProcesses(app.processId()).empty(); }, 4000);
    EXPECT_FALSE(somethingStarted);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ") << "nothing of the halted report arrives later";
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 3; }, 15000))
        << "the report's own work files go, the stale ones stay:" << filesIn(work.path());
    for (const std::string& path : stale)
        EXPECT_TRUE(exists(path)) << path;
}

// The report is over once it is shown: a command pressed as soon as its
// trailer is in the view is taken at once.
TEST_F(CommonReport, ACommandPressedAsTheTrailerShowsIsTaken) {
    app.press(IDC_COMMON_ENV);
    const std::string trailer = kSep + "\r\r\r\nKorvexer.exe -> ";
    ASSERT_TRUE(
        waitUntil([&] { return app.text(IDC_REPORT_VIEW).find(trailer) != std::string::npos; }, 180000));
    app.press(IDC_HKCC);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW).rfind("Getting HKEY_CURRENT_CONFIG Registry:", 0), 0u)
        << app.text(IDC_REPORT_VIEW).substr(0, 200);
    EXPECT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG", 60000));
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000))
        << filesIn(work.path());
}

// Clear the moment the report reaches the view, while its worker may still be
// finishing: the halt ends with that report, and the next command, pressed a
// little later, runs to its end.
struct ClearAsTheReportArrives : CommonReport {
    void runReportAndClearAsItArrives() {
        app.press(IDC_COMMON_ENV);
        ASSERT_TRUE(waitUntil(
            [&] { return app.text(IDC_REPORT_VIEW).find("OperatingSystem:") != std::string::npos; }, 180000));
        app.press(IDC_CLEAR);
        EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
        Sleep(4000);
        EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ") << "nothing of the cleared report comes back";
        EXPECT_EQ(app.text(IDC_STATUS_LINE), " ");
    }
    void expectNoWorkFileLeft() {
        EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000))
            << filesIn(work.path());
    }
};

// Any command after such a Clear runs to its end: a hive dump, then the
// report itself again.
TEST_F(ClearAsTheReportArrives, AHiveDumpThenTheReportAgainRunToTheirEnds) {
    runReportAndClearAsItArrives();
    app.press(IDC_HKCC);
    EXPECT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG", 60000))
        << "view \"" << app.text(IDC_REPORT_VIEW) << "\" status \"" << app.text(IDC_STATUS_LINE) << "\"";
    expectNoWorkFileLeft();
    const std::string report = runReport();
    EXPECT_NE(report.find(kSep + "\nKorvexer.exe -> "), std::string::npos) << report.substr(0, 300);
    expectNoWorkFileLeft();
}

} // namespace
