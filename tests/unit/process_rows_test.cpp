// The catalogue rows that list what runs and what is registered, reached
// through the catalogue table itself: each row takes what earlier rows left
// in the report's carried state (the folders' listing commands, the captured
// task list) and the process row lists this test program's own windows and
// modules from a task list made up here, as the task-list run captures it.
#include "collect/common_report.h"
#include "support/probe_process.h"
#include "support/test_context.h"
#include "support/this_program.h"
#include "sysinfo/process_sections.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

const std::string kSep(75, '=');

bool (*rowWriter(int number))(CommonReport&) {
    return kCommonReportRows[number - 1].write;
}

// One process as the task-list script prints it, after the line of one
// blank that opens it; "%" doubled, as the runner hands captured text over.
std::string taskListEntry(DWORD id, const std::string& name) {
    return " \nProcess: " + name + "\nProcess ID: " + std::to_string(id) +
           "\nPage File Size: 2048\nFull Path:  C:\\100%%\\" + name + "\nThread Count 1.  " + name +
           " Thread Handle: " + std::to_string(id + 4) + ", Priority: 8\n";
}

// A top-level window of this program, on the test's own thread (its title
// is read without waiting for any other thread).
class OwnWindow {
  public:
    OwnWindow(const char* title, bool visible) {
        window_ = CreateWindowExA(0, "STATIC", title, WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 20, 20,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~OwnWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND get() const { return window_; }

  private:
    HWND window_;
};

TEST(ProcessRows, CatalogueRowsWriteTheirSections) {
    struct Case {
        int row;
        std::string expected; // the whole text the row writes
        std::vector<FakeRunner::Call> runs;
    };
    // The header shows the folder as the system named it; the batch line has its "%" doubled.
    const std::string userFolder = "C:\\Users\\100% me\\Startup";
    const std::string userList = "dir \"C:\\Users\\100%% me\\Startup\" /B";
    const std::string commonList = "dir \"C:\\All Users\\Startup\" /B";
    const Case cases[] = {
        {32,
         "\nWindows Application startUP: C:\\Users\\100% me\\Startup\n<" + userList + ">\n\n",
         {{userList, RunMode::Plain, false}}},
        {33,
         "\nWindows Application startUP - All Users: C:\\All Users\\Startup\n<" + commonList + ">\n\n",
         {{commonList, RunMode::Plain, false}}},
        {35,
         kSep + "\nKnown file Types:\n\n<assoc>\n",
         {{"assoc", RunMode::Plain, true}, {"assoc", RunMode::JoinThree, false}}},
        // The probe of the missing tool sees nothing: no header.
        {36, "", {{"driverquery.exe", RunMode::Plain, true}}},
    };
    for (const Case& c : cases) {
        TestContext context;
        context.fakeRunner().answer = [](const FakeRunner::Call& call) {
            return FakeRunner::Answer{call.text == "driverquery.exe" ? "" : "<" + call.text + ">\n"};
        };
        CommonReport report(context);
        report.commands.startupFolder = userFolder;
        report.commands.startupListCommand = userList;
        report.commands.commonStartupFolder = "C:\\All Users\\Startup";
        report.commands.commonStartupListCommand = commonList;
        EXPECT_TRUE(rowWriter(c.row)(report)) << c.row;
        EXPECT_EQ(context.report, c.expected) << c.row;
        const auto& calls = context.fakeRunner().calls;
        ASSERT_EQ(calls.size(), c.runs.size()) << c.row;
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].text, c.runs[i].text) << c.row;
            EXPECT_EQ(calls[i].mode, c.runs[i].mode) << c.row;
            EXPECT_EQ(calls[i].probeOnly, c.runs[i].probeOnly) << c.row;
        }
    }
}

TEST(ProcessRows, FoldersThatDidNotResolveGiveOnlyTheirLineFeed) {
    TestContext context;
    CommonReport report(context); // the commands stay "dir "
    EXPECT_TRUE(rowWriter(32)(report));
    EXPECT_TRUE(rowWriter(33)(report));
    EXPECT_EQ(context.report, "\n\n");
    EXPECT_TRUE(context.fakeRunner().calls.empty());
}

TEST(ProcessRows, EnvironmentAndKernelDriverRowsWriteTheSystemsLists) {
    ASSERT_TRUE(SetEnvironmentVariableA("KORVEXER_ROW_TEST", "%s and 100%"));
    TestContext context;
    CommonReport report(context);
    EXPECT_TRUE(rowWriter(26)(report));
    SetEnvironmentVariableA("KORVEXER_ROW_TEST", nullptr);
    EXPECT_EQ(context.report.rfind(kSep + "\nAll environment strings:\n\n", 0), 0u);
    EXPECT_NE(context.report.find("\nKORVEXER_ROW_TEST=%s and 100%\n"), std::string::npos);

    TestContext drivers;
    CommonReport driverReport(drivers);
    EXPECT_TRUE(rowWriter(38)(driverReport));
    const auto listed = processsections::listKernelDrivers();
    EXPECT_EQ(drivers.report, listed ? processsections::kernelDriversText(*listed) : "");
}

TEST(ProcessRows, ProcessRowListsThisProgramsWindowsAndModulesFromTheCapturedList) {
    OwnWindow shown("Korvexer row test window", true);
    OwnWindow hidden("", false); // a class name alone
    ASSERT_NE(shown.get(), nullptr);
    ASSERT_NE(hidden.get(), nullptr);
    ProbeProcess gone;
    ASSERT_TRUE(gone.ready());
    gone.end();

    TestContext context;
    CommonReport report(context);
    const DWORD self = GetCurrentProcessId();
    // A process that ended before the row looked at it, then this program:
    // the last process of the list, which no blank line closes.
    report.capturedTaskList = " \n" + kSep + "\nTasklist - Processes and Threads:\n \n" +
                              taskListEntry(gone.id(), "version_probe.exe") +
                              taskListEntry(self, "unit_tests.exe");
    EXPECT_TRUE(rowWriter(39)(report));
    EXPECT_TRUE(report.capturedTaskList.empty()) << "the capture is emptied";
    EXPECT_EQ(context.writes, 2) << "one write per process block";
    const std::string& text = context.report;

    // The ended process costs its own block nothing but its windows and modules.
    const size_t goneAt = text.find("Process ID: " + std::to_string(gone.id()) + "\n");
    const size_t selfAt = text.find("Process ID: " + std::to_string(self) + "\n");
    ASSERT_NE(goneAt, std::string::npos) << text;
    ASSERT_NE(selfAt, std::string::npos) << text;
    ASSERT_LT(goneAt, selfAt);
    const std::string goneBlock = text.substr(goneAt, selfAt - goneAt);
    EXPECT_NE(goneBlock.find("Full Path:  C:\\100%\\version_probe.exe\n"), std::string::npos) << goneBlock;
    EXPECT_NE(goneBlock.find(" 0 open window handles, visible: 0, Not visible: 0\n"
                             "No Loaded Modules for process.\n"),
              std::string::npos)
        << goneBlock;

    const std::string selfBlock = text.substr(selfAt);
    const auto handle = [](HWND window) { return std::to_string(reinterpret_cast<uintptr_t>(window)); };
    EXPECT_NE(selfBlock.find("ID: " + handle(shown.get()) +
                             " - Active window handle: Korvexer row test window, "
                             "Static\n"),
              std::string::npos)
        << selfBlock;
    EXPECT_NE(selfBlock.find("ID: " + handle(hidden.get()) + " - Active window handle: Static\n"),
              std::string::npos)
        << selfBlock;
    // The count line holds every window of this program, listed or not.
    ModuleEnumerator modules;
    SystemProcessDetails details(modules);
    WindowTable windows;
    windows.reset(self);
    details.collectWindows(windows);
    ASSERT_GE(windows.visible(), 1);
    ASSERT_GE(windows.hidden(), 1);
    EXPECT_NE(selfBlock.find("\n" + std::to_string(windows.visible() + windows.hidden()) +
                             " open window handles, visible: " + std::to_string(windows.visible()) +
                             ", Not visible: " + std::to_string(windows.hidden()) +
                             "\nLoaded Modules for Process:\n"),
              std::string::npos)
        << selfBlock;
    EXPECT_NE(selfBlock.find("\n" + upper(thisProgram()) + "\t"), std::string::npos) << selfBlock;
    EXPECT_NE(selfBlock.find("\\KERNEL32.DLL\t"), std::string::npos) << selfBlock;
}

TEST(ProcessRows, ProcessRowStopsAtAHaltAfterTheBlockItWrote) {
    TestContext context;
    context.haltAfterSteps = 1;
    CommonReport report(context);
    report.capturedTaskList = taskListEntry(GetCurrentProcessId(), "unit_tests.exe") +
                              taskListEntry(GetCurrentProcessId(), "unit_tests.exe");
    EXPECT_FALSE(rowWriter(39)(report));
    EXPECT_EQ(context.writes, 1);
    EXPECT_TRUE(report.capturedTaskList.empty());
}

} // namespace
