// The process section (task-list lines, window lines, counts, module tables)
// over a fake source and over live processes, and the other sections of the
// group driven through a test context whose runner answers from a table.
#include "support/probe_process.h"
#include "support/test_context.h"
#include "sysinfo/module_enumerator.h"
#include "sysinfo/process_blocks.h"
#include "sysinfo/process_sections.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A literal with its zero bytes (the literal's own terminator left out).
template <size_t N> std::string bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

struct FakeWindow {
    uintptr_t handle;
    std::string title;
    std::string className;
    bool visible;
};

// Windows and module tables per process id; ids it does not know have ended.
class FakeDetails : public ProcessDetails {
  public:
    std::map<uint32_t, std::vector<FakeWindow>> windows;
    std::map<uint32_t, std::string> modules;
    std::vector<uint32_t> windowsAsked, modulesAsked;

    void collectWindows(WindowTable& table) override {
        windowsAsked.push_back(table.target());
        for (const FakeWindow& w : windows[table.target()])
            table.add(w.handle, w.title, w.className, w.visible);
    }
    std::string describeModules(uint32_t processId) override {
        modulesAsked.push_back(processId);
        return modules[processId];
    }
};

// The task list as the process-list script prints it (header lines, then a
// line of one blank opening each process), as the runner captures it.
std::string taskList(const std::vector<std::pair<uint32_t, std::string>>& processes) {
    std::string text = " \n===========================================================================\n"
                       "Tasklist - Processes and Threads:\n \n";
    for (const auto& [id, name] : processes) {
        text += " \nProcess: " + name + "\nProcess ID: " + std::to_string(id) + "\nPage File Size: 1024\n";
        text += "Process " + name + " is owned by KORVEXER\\tester.\n";
        text += "Thread Count 1.  " + name + " Thread Handle: " + std::to_string(id + 4) + ", Priority: 8\n";
    }
    return text;
}

std::vector<std::string> assembleAll(const std::string& captured, ProcessDetails& details) {
    std::vector<std::string> blocks;
    EXPECT_TRUE(processblocks::assemble(captured, details, [&](const std::string& b) {
        blocks.push_back(b);
        return true;
    }));
    return blocks;
}

TEST(ProcessBlocks, EachProcessWithItsWindowsCountAndModules) {
    FakeDetails details;
    details.windows[100] = {{1001, "Editor - notes.txt", "Notepad", true},
                            {1002, "", "IME", false},
                            {1003, "Only a title", "", true},
                            {1004, "", "", false}}; // neither: counted, not listed
    details.modules[100] =
        "C:\\WINDOWS\\NOTEPAD.EXE\t5.1\t69120\tApril 14, 2008 07:05:09\tNotepad\tWindows\t5.1\n";
    details.modules[200] = "";
    const std::string captured = taskList({{100, "notepad.exe"}, {200, "idle.exe"}});
    const std::vector<std::string> blocks = assembleAll(captured, details);
    ASSERT_EQ(blocks.size(), 2u);

    // The script's header lines go out with the first process; its closing
    // blank line carries the first window line.
    EXPECT_EQ(blocks[0], " \n===========================================================================\n"
                         "Tasklist - Processes and Threads:\n \n \nProcess: notepad.exe\nProcess ID: 100\n"
                         "Page File Size: 1024\nProcess notepad.exe is owned by KORVEXER\\tester.\n"
                         "Thread Count 1.  notepad.exe Thread Handle: 104, Priority: 8\n"
                         " ID: 1001 - Active window handle: Editor - notes.txt, Notepad\n"
                         "ID: 1002 - Active window handle: IME\n"
                         "ID: 1003 - Active window handle: Only a title\n"
                         "4 open window handles, visible: 2, Not visible: 2\n"
                         "Loaded Modules for Process:\n" +
                             details.modules[100]);
    // The last process, which no blank line closes, is written when the text ends.
    EXPECT_EQ(blocks[1], "\nProcess: idle.exe\nProcess ID: 200\nPage File Size: 1024\n"
                         "Process idle.exe is owned by KORVEXER\\tester.\n"
                         "Thread Count 1.  idle.exe Thread Handle: 204, Priority: 8\n"
                         "0 open window handles, visible: 0, Not visible: 0\n"
                         "No Loaded Modules for process.\n");
    EXPECT_EQ(details.windowsAsked, (std::vector<uint32_t>{100, 200}));
}

TEST(ProcessBlocks, AProcessThatHasEndedShowsZerosAndNoModules) {
    FakeDetails details; // knows no process: all have ended
    const std::vector<std::string> blocks =
        assembleAll(taskList({{4242, "gone.exe"}, {4250, "also.exe"}}), details);
    ASSERT_EQ(blocks.size(), 2u);
    for (const std::string& block : blocks) {
        EXPECT_NE(
            block.find("0 open window handles, visible: 0, Not visible: 0\nNo Loaded Modules for process.\n"),
            std::string::npos)
            << block;
        EXPECT_EQ(block.find("Loaded Modules for Process:"), std::string::npos);
    }
    // A one-character table is no table either.
    details.modules[4242] = "x";
    EXPECT_NE(
        assembleAll(taskList({{4242, "gone.exe"}}), details)[0].find("No Loaded Modules for process.\n"),
        std::string::npos);
}

TEST(ProcessBlocks, MoreThan512WindowsAreCountedNotListed) {
    FakeDetails details;
    for (uintptr_t i = 0; i < 700; ++i)
        details.windows[8].push_back({0x10000 + i, "Window " + std::to_string(i), "Many", i % 3 != 0});
    const std::string block = assembleAll(taskList({{8, "many.exe"}}), details)[0];
    size_t listed = 0;
    for (size_t at = block.find("Active window handle: "); at != std::string::npos;
         at = block.find("Active window handle: ", at + 1))
        ++listed;
    EXPECT_EQ(listed, WindowTable::kCapacity);
    EXPECT_NE(block.find("Active window handle: Window 511, Many\n"), std::string::npos);
    EXPECT_EQ(block.find("Window 512,"), std::string::npos);
    EXPECT_NE(block.find("700 open window handles, visible: 466, Not visible: 234\n"), std::string::npos);
}

TEST(ProcessBlocks, IdLinesPercentSignsAndTheIdleProcess) {
    using processblocks::processIdOfLine;
    EXPECT_EQ(processIdOfLine("Process ID: 1234"), 1234u);
    EXPECT_EQ(processIdOfLine("Process ID: 4294967295"), 4294967295u)
        << "ids of Windows 95 to ME fill 32 bits";
    EXPECT_FALSE(processIdOfLine("Process ID: 4294967296"));
    EXPECT_FALSE(processIdOfLine("Process ID: "));
    EXPECT_FALSE(processIdOfLine("Process ID: none"));
    EXPECT_FALSE(processIdOfLine("Parent Process ID: 12"));
    EXPECT_FALSE(processIdOfLine("Windows System SERVICE Action for Process ID: 12"));
    EXPECT_EQ(processblocks::undoublePercent("100%% of %%PATH%% and a lone %"),
              "100% of %PATH% and a lone %");

    // Id 0 (the idle process of the NT family) is its own process, not this
    // program: no module listing is asked for it.
    FakeDetails details;
    details.modules[0] = "C:\\THIS\\PROGRAM.EXE\t\t?\t?\t\t\t\n";
    std::string captured = taskList({{0, "System Idle Process"}, {4, "System"}});
    // The runner hands captured text over with "%" doubled.
    captured.insert(captured.find("Page File Size"), "Command: run 50%% faster\n");
    const std::vector<std::string> blocks = assembleAll(captured, details);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_NE(blocks[0].find("No Loaded Modules for process.\n"), std::string::npos);
    EXPECT_NE(blocks[0].find("Command: run 50% faster\n"), std::string::npos);
    EXPECT_EQ(details.modulesAsked, std::vector<uint32_t>{4});
}

TEST(ProcessBlocks, NoProcessesOnlyTheHeaderLines) {
    FakeDetails details;
    const std::vector<std::string> blocks = assembleAll(taskList({}), details);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], taskList({}));
    EXPECT_TRUE(assembleAll("", details).empty());
}

TEST(ProcessSection, WritesBlockByBlockAndStopsOnAHalt) {
    TestContext context;
    FakeDetails details;
    std::string captured = taskList({{10, "a.exe"}, {20, "b.exe"}, {30, "c.exe"}});
    EXPECT_TRUE(writeProcesses(context, captured, details));
    EXPECT_TRUE(captured.empty()) << "the capture is emptied";
    EXPECT_EQ(context.writes, 3);
    EXPECT_EQ(context.steps, 3);

    TestContext halted;
    halted.haltAfterSteps = 1;
    FakeDetails again;
    captured = taskList({{10, "a.exe"}, {20, "b.exe"}, {30, "c.exe"}});
    EXPECT_FALSE(writeProcesses(halted, captured, again));
    EXPECT_EQ(halted.writes, 1);
    EXPECT_EQ(again.windowsAsked, std::vector<uint32_t>{10}) << "no process looked at after the halt";
}

TEST(ProcessSection, LiveProcessWithWindowsAndModules) {
    ProbeProcess probe("windows", 60);
    ASSERT_TRUE(probe.ready());
    ModuleEnumerator modules;
    SystemProcessDetails details(modules);
    TestContext context;
    std::string captured = taskList({{probe.id(), "version_probe.exe"}});
    ASSERT_TRUE(writeProcesses(context, captured, details));
    const std::string& report = context.report;
    EXPECT_NE(report.find(" - Active window handle: Korvexer probe window, KorvexerProbe\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(" - Active window handle: KorvexerProbe\n"), std::string::npos)
        << "class name alone";
    WindowTable table;
    table.reset(probe.id());
    details.collectWindows(table);
    EXPECT_GE(table.visible(), 1);
    EXPECT_GE(table.hidden(), 1);
    const std::string count = std::to_string(table.visible() + table.hidden()) +
                              " open window handles, visible: " + std::to_string(table.visible()) +
                              ", Not visible: " + std::to_string(table.hidden());
    EXPECT_NE(report.find(count), std::string::npos) << report;
    EXPECT_NE(report.find("Loaded Modules for Process:\n"), std::string::npos);
    std::string exe = besideThisProgram("version_probe.exe");
    CharUpperBuffA(exe.data(), static_cast<DWORD>(exe.size()));
    EXPECT_NE(report.find(exe + "\t1.2.3.4\t"), std::string::npos) << report;

    // Listed once: the window table is emptied for every process.
    EXPECT_EQ(
        report.find("Active window handle: Korvexer probe window", report.find("Korvexer probe window") + 1),
        std::string::npos);
    probe.end();
    TestContext after;
    captured = taskList({{probe.id(), "version_probe.exe"}});
    ASSERT_TRUE(writeProcesses(after, captured, details));
    EXPECT_NE(after.report.find(
                  "0 open window handles, visible: 0, Not visible: 0\nNo Loaded Modules for process.\n"),
              std::string::npos)
        << after.report;
}

// A window of this program whose thread does not answer messages: made on a
// thread of its own, which then waits for the test without pumping.
struct BusyWindowThread {
    HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;

    BusyWindowThread() { thread = CreateThread(nullptr, 0, run, this, 0, nullptr); }
    ~BusyWindowThread() {
        SetEvent(release);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(made);
        CloseHandle(release);
    }
    static DWORD WINAPI run(void* parameter) {
        auto* self = static_cast<BusyWindowThread*>(parameter);
        HWND window = CreateWindowExA(0, "STATIC", "Busy window", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        SetEvent(self->made);
        WaitForSingleObject(self->release, INFINITE);
        if (window != nullptr) DestroyWindow(window);
        return 0;
    }
};

TEST(ProcessSection, ABusyWindowOfThisProgramDoesNotHoldTheListing) {
    BusyWindowThread busy;
    ASSERT_EQ(WaitForSingleObject(busy.made, 10000), WAIT_OBJECT_0);
    ModuleEnumerator modules;
    SystemProcessDetails details(modules);
    WindowTable table;
    table.reset(GetCurrentProcessId());
    details.collectWindows(table); // would wait for the busy thread for ever
    // Its title could not be asked for in time; its class name still lists it.
    bool listed = false;
    for (const WindowTable::Entry& entry : table.entries())
        listed = listed || entry.text == "Static";
    EXPECT_TRUE(listed);
    EXPECT_EQ(WaitForSingleObject(busy.thread, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the thread is still busy";
}

TEST(ProcessSections, EnvironmentStringsLeaveOutTheHiddenFirstEntryOnly) {
    using processsections::environmentText;
    const std::string header = std::string(kSectionRule) + "\nAll environment strings:\n\n";
    EXPECT_EQ(environmentText(bytes("=C:=C:\\work\0=D:=D:\\\0PATH=C:\\WINDOWS\0TEMP=C:\\TEMP\0")),
              header + "=D:=D:\\\nPATH=C:\\WINDOWS\nTEMP=C:\\TEMP\n");
    // An ordinary first variable (Windows 95 to ME) is not lost.
    EXPECT_EQ(environmentText(bytes("TMP=C:\\WINDOWS\\TEMP\0winbootdir=C:\\WINDOWS\0")),
              header + "TMP=C:\\WINDOWS\\TEMP\nwinbootdir=C:\\WINDOWS\n");
    EXPECT_EQ(environmentText({}), header);
    EXPECT_EQ(environmentText(bytes("A=100%\0")), header + "A=100%\n");
}

TEST(ProcessSections, EnvironmentOfThisProcess) {
    ASSERT_TRUE(SetEnvironmentVariableA("KORVEXER_SECTION_TEST", "value with 100% and %s"));
    TestContext context;
    EXPECT_TRUE(writeEnvironmentStrings(context));
    SetEnvironmentVariableA("KORVEXER_SECTION_TEST", nullptr);
    EXPECT_EQ(context.report.rfind(std::string(kSectionRule) + "\nAll environment strings:\n\n", 0), 0u);
    EXPECT_NE(context.report.find("\nKORVEXER_SECTION_TEST=value with 100% and %s\n"), std::string::npos);
    EXPECT_EQ(context.steps, 1);
}

TEST(ProcessSections, StartupFolders) {
    TestContext context;
    context.fakeRunner().answer = [](const FakeRunner::Call& call) {
        return FakeRunner::Answer{call.text.find("All Users") != std::string::npos ? "common.lnk\n"
                                                                                   : "mine.lnk\n"};
    };
    // The current user's folder could not be resolved: its command stayed "dir ".
    EXPECT_TRUE(writeStartupFolder(context, "", "dir ", StartupFolder::CurrentUser));
    EXPECT_TRUE(writeStartupFolder(context, "C:\\All Users\\Startup", "dir \"C:\\All Users\\Startup\" /B",
                                   StartupFolder::AllUsers));
    EXPECT_EQ(context.report,
              "\n\nWindows Application startUP - All Users: C:\\All Users\\Startup\ncommon.lnk\n\n");
    ASSERT_EQ(context.fakeRunner().calls.size(), 1u);
    EXPECT_EQ(context.fakeRunner().calls[0].mode, RunMode::Plain);
    EXPECT_FALSE(context.fakeRunner().calls[0].probeOnly);
    EXPECT_EQ(context.steps, 2);
}

struct ProbedCase {
    const char* name;
    bool (*write)(TaskContext&);
    const char* command;
    RunMode mode;
    const char* header;
};

void PrintTo(const ProbedCase& c, std::ostream* out) {
    *out << c.name;
}

class ProbedSections : public testing::TestWithParam<ProbedCase> {};

TEST_P(ProbedSections, HeaderAndOutputOnlyWhenTheProbeSeesOutput) {
    const ProbedCase& c = GetParam();
    for (const char* probeOutput : {"", "x", ".txt=txtfile\n"}) {
        TestContext context;
        context.fakeRunner().answer = [&](const FakeRunner::Call& call) {
            return FakeRunner::Answer{call.probeOnly ? probeOutput : "the output\n"};
        };
        EXPECT_TRUE(c.write(context));
        const auto& calls = context.fakeRunner().calls;
        const bool present = std::string(probeOutput).size() > 1;
        ASSERT_EQ(calls.size(), present ? 2u : 1u) << probeOutput;
        EXPECT_EQ(calls[0].text, c.command);
        EXPECT_TRUE(calls[0].probeOnly);
        if (present) {
            EXPECT_EQ(context.report, std::string(kSectionRule) + c.header + "the output\n");
            EXPECT_EQ(calls[1].text, c.command);
            EXPECT_EQ(calls[1].mode, c.mode) << "the mode of this run only";
            EXPECT_FALSE(calls[1].probeOnly);
        } else {
            EXPECT_EQ(context.report, "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ProbedSections,
                         testing::Values(ProbedCase{"FileTypes", writeFileTypes, "assoc", RunMode::JoinThree,
                                                    "\nKnown file Types:\n\n"},
                                         ProbedCase{"Drivers", writeInstalledDrivers, "driverquery.exe",
                                                    RunMode::Plain, "\nDrivers:\n"}),
                         [](const testing::TestParamInfo<ProbedCase>& info) { return info.param.name; });

TEST(ProcessSections, KernelDriverLines) {
    std::vector<processsections::KernelDriver> drivers(3);
    drivers[0] = {"ntoskrnl.exe", "\\SystemRoot\\system32\\ntoskrnl.exe"};
    drivers[1] = {std::nullopt, "\\SystemRoot\\system32\\drivers\\nameless.sys"};
    drivers[2] = {"hal.dll", std::nullopt};
    EXPECT_EQ(processsections::kernelDriversText(drivers),
              std::string(kSectionRule) +
                  "\nDrivers Filename (Kernel):\n\nThere are 3 drivers:\n"
                  "1:  Base: ntoskrnl.exe   FileName:  \\SystemRoot\\system32\\ntoskrnl.exe\n"
                  "FileName:  \\SystemRoot\\system32\\drivers\\nameless.sys\n"
                  "3:  Base: hal.dll   \n");
}

TEST(ProcessSections, KernelDriversOfThisSystem) {
    TestContext context;
    EXPECT_TRUE(writeKernelDrivers(context));
    EXPECT_EQ(context.steps, 1);
    const auto drivers = processsections::listKernelDrivers();
    if (!drivers) {
        EXPECT_EQ(context.report, "") << "no list, no section";
        return;
    }
    EXPECT_EQ(context.report, processsections::kernelDriversText(*drivers));
}

} // namespace
