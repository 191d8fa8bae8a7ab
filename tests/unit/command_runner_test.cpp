// The runner with the real command interpreter and script host.
#include "report/system_api.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"
#include "support/probe_process.h"
#include "support/scoped_temp.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <thread>

namespace {

int workFilesIn(const std::string& dir) {
    int n = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "korvexDlg32_*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do
        ++n;
    while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

int processesNamed(const char* name) {
    int n = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry))
        if (_stricmp(entry.szExeFile, name) == 0) ++n;
    CloseHandle(snap);
    return n;
}

struct Runner : ::testing::Test {
    TempDir dir;
    ScopedTemp temp{dir.path()};
    TestContext context;
    ProcessRunner runner{context};
    RunHolder holder;
    int run(const std::string& text, bool probe = false, RunMode mode = RunMode::Plain) {
        return runner.run(text, mode, probe, &holder);
    }
    int script(const std::string& text, RunMode mode = RunMode::Script) {
        scriptBuffer().clear();
        scriptBuffer().append(text);
        return runner.run(scriptBuffer().text(), mode, false, &holder);
    }
    const std::string& report() const { return context.report; }
    void TearDown() override { EXPECT_EQ(workFilesIn(dir.path()), 0) << "every work file is deleted"; }
};

TEST_F(Runner, PlainCommandAndPercentSigns) {
    EXPECT_EQ(run("echo hello 100%%"), 1);
    EXPECT_EQ(report(), "hello 100%\n");
}

TEST_F(Runner, ProbeResults) {
    EXPECT_EQ(run("cd .", true), 1);
    EXPECT_EQ(report(), "");
    writeFileBytes(dir.file("one.txt"), "x");
    EXPECT_EQ(run("type \"" + dir.file("one.txt") + "\"", true), 1);
    DeleteFileA(dir.file("one.txt").c_str());
    EXPECT_EQ(report(), "x") << "one character is delivered even by a probe";
    context.report.clear();
    EXPECT_EQ(run("echo two or more", true), 2);
    EXPECT_EQ(report(), "");
}

TEST_F(Runner, TwentyFiveLinesArriveInFourChunksWithoutTabs) {
    std::string lines;
    for (int i = 0; i < 25; ++i)
        lines += std::string(39, 'a') + "\t" + std::string(38, 'b') + "\r\n";
    writeFileBytes(dir.file("lines.txt"), lines);
    context.writes = 0;
    EXPECT_EQ(run("type \"" + dir.file("lines.txt") + "\""), 1);
    EXPECT_EQ(context.writes, 4);
    EXPECT_EQ(report().size(), 25u * 78);
    EXPECT_EQ(report().substr(0, 78), std::string(39, 'a') + std::string(38, 'b') + "\n");
    DeleteFileA(dir.file("lines.txt").c_str());
}

TEST_F(Runner, AHaltWhileTheOutputIsDeliveredDropsTheRest) {
    // Clear empties the view while the pieces arrive: none may follow it.
    struct HaltOnFirstPiece : TestContext {
        void write(std::string_view text) override {
            TestContext::write(text);
            halt = true;
        }
    } halting;
    ProcessRunner haltingRunner{halting};
    std::string lines;
    for (int i = 0; i < 25; ++i)
        lines += std::string(77, 'a') + "\r\n";
    writeFileBytes(dir.file("lines.txt"), lines);
    EXPECT_EQ(haltingRunner.run("type \"" + dir.file("lines.txt") + "\"", RunMode::Plain), 0);
    EXPECT_EQ(halting.writes, 1);
    EXPECT_LT(halting.report.size(), 25u * 78);
    DeleteFileA(dir.file("lines.txt").c_str());
}

// A file zero-filled after a crash, printed as Windows' "type" prints it: the
// zeros reach the report as blanks, and what follows them is there too.
TEST_F(Runner, ZeroBytesFromAChildArriveAsBlanks) {
    using namespace std::string_literals;
    writeFileBytes(dir.file("zeros.txt"), "before\0\0zeros\r\n"s + std::string(600, '\0') + "\r\nafter\r\n");
    const std::string command =
        "\"" + besideThisProgram("raw_type.exe") + "\" \"" + dir.file("zeros.txt") + "\"";
    EXPECT_EQ(run(command), 1);
    EXPECT_EQ(report(), "before  zeros\n" + std::string(600, ' ') + "\nafter\n");
    EXPECT_EQ(run(command, false, RunMode::JoinThree), 1);
    EXPECT_EQ(report().substr(report().find("after\n") + 6),
              "before  zeros,      " + std::string(600, ' ') + ",      after\n\n");
    DeleteFileA(dir.file("zeros.txt").c_str());
}

TEST_F(Runner, JoinThreeOfSevenLines) {
    writeFileBytes(dir.file("seven.txt"), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    EXPECT_EQ(run("type \"" + dir.file("seven.txt") + "\"", false, RunMode::JoinThree), 1);
    EXPECT_EQ(report(), "1,      2,      3\n4,      5,      6\n7,      \n");
    DeleteFileA(dir.file("seven.txt").c_str());
}

TEST_F(Runner, EnvironmentValueWithoutLineEnd) {
    EXPECT_EQ(run("set env_olddir=C:\\Some Dir\\50%%", false, RunMode::EnvValue), 1);
    EXPECT_EQ(holder.envValue, "C:\\Some Dir\\50%%");
    EXPECT_EQ(report(), "");
}

TEST_F(Runner, ScriptOutputCaptureAndInstanceCount) {
    EXPECT_EQ(script("WScript.Echo \"one\"\nWScript.Echo \"two\""), 1);
    EXPECT_EQ(report(), "one\ntwo\n");
    EXPECT_TRUE(scriptBuffer().empty());

    EXPECT_EQ(script("WScript.Echo \"50% done\"", RunMode::ScriptCapture), 1);
    EXPECT_EQ(holder.captureText, "50%% done\n");

    EXPECT_EQ(script("WScript.Echo \"Process: Korvexer.exe\"\nWScript.Echo \"Process: other.exe\"",
                     RunMode::ScriptCountInstances),
              1);
    EXPECT_EQ(holder.ownInstanceCount, 1);
    EXPECT_EQ(report(), "one\ntwo\n") << "nothing of these runs reaches the report";
}

TEST_F(Runner, PassThroughFilesAreWrittenThenEchoedWhole) {
    const std::string sub = dir.file("it's a & b") + "\\";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    const PassThroughFile log{PassThroughFile::AppendLog, sub + "service log.txt"};
    const PassThroughFile text{PassThroughFile::CreateText, sub + "product list.txt"};
    writeFileBytes(log.path, "kept from before\r\n");
    writeFileBytes(text.path, "stale\r\n");
    WmiBlock block;
    block.className = "Win32_OperatingSystem";
    block.items = labels({"Caption", "[blank]"});
    scriptBuffer().clear();
    block.title = "Logged:";
    ASSERT_TRUE(appendLines(scriptBuffer(), passThroughBlockLines(block, log)));
    block.title = "Listed:";
    ASSERT_TRUE(appendLines(scriptBuffer(), passThroughBlockLines(block, text)));
    EXPECT_EQ(runner.run(scriptBuffer().text(), RunMode::Script), 1);

    const size_t at = report().find("Caption: ");
    ASSERT_NE(at, std::string::npos) << report();
    const std::string caption = report().substr(at, report().find("\n", at) - at);
    EXPECT_GT(caption.size(), std::string("Caption: ").size()) << "the property's value was written";
    const std::string sep(75, '=');
    EXPECT_EQ(report(), " \n" + sep + "\nLogged:\n \nkept from before\n" + caption + "\n\n\n" + " \n" + sep +
                            "\nListed:\n \n" + caption + "\n \n\n");
    EXPECT_EQ(readFileBytes(log.path), "kept from before\r\n" + caption + "\r\n\r\n")
        << "left for the section";
    DeleteFileA(log.path.c_str());
    DeleteFileA(text.path.c_str());
}

TEST_F(Runner, StringLiteralStandsForItsTextInTheScriptHost) {
    const std::string text = "say \"hi\" & 'bye' 100% \"\"\nnext line";
    EXPECT_EQ(script("Wscript.Echo \"" + vbsStringContent(text) + "\""), 1);
    EXPECT_EQ(report(), "say \"hi\" & 'bye' 100% \"\"\nnext line\n");
}

TEST(RunnerPaths, BatchLinePathQuotesAndDoublesPercentSigns) {
    const struct {
        const char* path;
        const char* line;
    } cases[] = {
        {"C:\\with blanks\\f.txt", "\"C:\\with blanks\\f.txt\""},
        {"C:\\100%done\\f.txt", "\"C:\\100%%done\\f.txt\""},
        {"C:\\%TEMP%%\\", "\"C:\\%%TEMP%%%%\\\""},
        {"", "\"\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(batchLinePath(c.path), c.line) << c.path;
}

TEST(RunnerPaths, BlanksAmpersandAndPercentSignsInTheWorkDirectory) {
    TempDir base;
    // A lone "%" would vanish from the batch line, and "% off 100%" would be
    // read as a variable that is not set: the output would go elsewhere.
    for (const char* name : {"with blanks here", "a & echo INJECTED", "100%done", "50% off 100%"}) {
        const std::string dir = base.file(name) + "\\";
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << name;
        ScopedTemp temp(dir);
        TestContext context;
        ProcessRunner runner(context);
        EXPECT_EQ(runner.run("echo hi", RunMode::Plain), 1) << name;
        EXPECT_EQ(context.report, "hi\n") << name;
        scriptBuffer().clear();
        scriptBuffer().append("WScript.Echo \"from script\"");
        EXPECT_EQ(runner.run(scriptBuffer().text(), RunMode::Script), 1) << name;
        EXPECT_EQ(context.report, "hi\nfrom script\n") << name;
        EXPECT_EQ(context.report.find("INJECTED"), std::string::npos);
        EXPECT_EQ(workFilesIn(dir), 0) << name;
        RemoveDirectoryA(dir.c_str());
    }
}

TEST_F(Runner, HaltEndsAHungChildAndEverythingItStarted) {
    const int before = processesNamed("cscript.exe");
    std::thread halter([this] {
        Sleep(800);
        context.halt = true;
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(script("Do While True\nLoop\nWScript.Echo \"too late\""), 0);
    const DWORD took = GetTickCount() - start;
    halter.join();
    // The child would never end by itself; a generous bound still tells a
    // halt that worked from one that waited, on a busy machine too.
    EXPECT_LT(took, 800u + 10000u) << "ended soon after the halt";
    EXPECT_EQ(report(), "");
    EXPECT_TRUE([&] {
        for (int i = 0; i < 50 && processesNamed("cscript.exe") > before; ++i)
            Sleep(20);
        return processesNamed("cscript.exe") <= before;
    }()) << "no script host left running";
}

// Windows 95 to ME and NT 4.0 have no job objects: a halt still ends the
// command interpreter the runner started (what that started runs on).
TEST_F(Runner, HaltWithoutJobObjectsEndsTheInterpreter) {
    sys::hideKernel32Extras(true);
    const int before = processesNamed("cmd.exe");
    std::thread halter([this] {
        Sleep(800);
        context.halt = true;
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(run(":again\ngoto again"), 0);
    const DWORD took = GetTickCount() - start;
    halter.join();
    sys::hideKernel32Extras(false);
    // The child would never end by itself; a generous bound still tells a
    // halt that worked from one that waited, on a busy machine too.
    EXPECT_LT(took, 800u + 10000u) << "ended soon after the halt";
    EXPECT_EQ(report(), "");
    EXPECT_TRUE([&] {
        for (int i = 0; i < 50 && processesNamed("cmd.exe") > before; ++i)
            Sleep(20);
        return processesNamed("cmd.exe") <= before;
    }()) << "no command interpreter left running";
}

// The command interpreter reads a batch file in the OEM code page, the
// program names its folders in the ANSI one. The batch copies itself out, so
// its bytes can be looked at; its output arriving shows that the
// interpreter found the output file.
TEST(RunnerPaths, WorkFolderIsNamedAsTheInterpreterReadsIt) {
    TempDir base;
    struct Case {
        const char* folder;  // ANSI (1252)
        const char* inBatch; // what the batch line must name it; null: its short name
    } cases[] = {
        {"J\xfcrgen", "J\x81rgen"}, // "ü" has a place in the OEM code pages 437 and 850
        {"Tom\xe1\x9a", nullptr},   // "š" has none: only the short name reaches the folder
    };
    for (const Case& c : cases) {
        const std::string dir = base.file(c.folder) + "\\";
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << c.folder;
        std::string named = base.path() + (c.inBatch ? c.inBatch : "") + (c.inBatch ? "\\" : "");
        if (c.inBatch == nullptr) {
            char shortName[MAX_PATH] = {};
            ASSERT_GT(GetShortPathNameA(dir.c_str(), shortName, sizeof shortName), 0u) << c.folder;
            named = shortName;
            ASSERT_NE(named, dir) << "the folder needs a short name of its own for this case";
        }
        ScopedTemp temp(dir);
        TestContext context;
        ProcessRunner runner(context);
        const std::string copy = base.file("batch copy.bat");
        const std::string command = "copy %0 \"" + copy + "\" & echo copied";
        EXPECT_EQ(runner.run(command, RunMode::Plain), 1) << c.folder;
        EXPECT_EQ(context.report, "copied\n") << c.folder;
        const std::string bytes = readFileBytes(copy);
        const std::string lead = command + ">\"" + named + "korvexDlg32_work_file.";
        EXPECT_EQ(bytes.substr(0, lead.size()), lead) << c.folder;
        const std::string rest = bytes.size() > lead.size() ? bytes.substr(lead.size()) : "";
        const size_t digits = rest.find_first_not_of("0123456789");
        EXPECT_GE(digits, 7u) << bytes;
        EXPECT_EQ(rest.substr(digits == std::string::npos ? rest.size() : digits), ".txt\"\r\n") << bytes;
        DeleteFileA(copy.c_str());

        context.report.clear();
        scriptBuffer().clear();
        scriptBuffer().append("WScript.Echo \"from script\"");
        EXPECT_EQ(runner.run(scriptBuffer().text(), RunMode::Script), 1) << c.folder;
        EXPECT_EQ(context.report, "from script\n") << c.folder;
        EXPECT_EQ(workFilesIn(dir), 0) << c.folder;
        RemoveDirectoryA(dir.c_str());
    }
}

// A volume without short names (or with them switched off) and a letter the
// OEM code page lacks: nothing can name the folder in a batch line. The
// report says so once, and nothing is run into a folder that is not there.
TEST(RunnerPaths, AFolderNoNameReachesIsToldOnceAndNothingRuns) {
    TempDir base;
    const std::string dir = base.file("Tom\xe1\x9a") + "\\";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    ScopedTemp temp(dir);
    TestContext context;
    ProcessRunner runner(context,
                         [](const std::string&) -> std::optional<std::string> { return std::nullopt; });
    EXPECT_EQ(runner.run("echo hi", RunMode::Plain), 0);
    EXPECT_EQ(runner.run("echo hi", RunMode::Plain, true), 0);
    scriptBuffer().clear();
    scriptBuffer().append("WScript.Echo \"from script\"");
    EXPECT_EQ(runner.run(scriptBuffer().text(), RunMode::Script), 0);
    EXPECT_TRUE(scriptBuffer().empty());
    EXPECT_EQ(context.report,
              "\nNo console tool or script output in this report: the command interpreter cannot "
              "reach the work folder \"" +
                  dir + "\" (set TEMP to a folder with a plainer name).\n");
    EXPECT_EQ(workFilesIn(dir), 0);
    RemoveDirectoryA(dir.c_str());
}

void fakeToOem(std::string& text) {
    for (char& c : text)
        if (c == '\xe9')
            c = '\x82'; // "é" has a place in the OEM code page
        else if (c == '\x9a')
            c = 's'; // "š" has none: the nearest letter
}

void fakeToAnsi(std::string& text) {
    for (char& c : text)
        if (c == '\x82') c = '\xe9';
}

TEST(RunnerPaths, BatchFolderNameTakesTheOemFormThenTheShortName) {
    struct Case {
        const char* folder;
        std::optional<std::string> shortName;
        std::optional<std::string> named;
    } cases[] = {
        {"C:\\Temp\\", std::nullopt, "C:\\Temp\\"},
        {"C:\\Ren\xe9\\", std::nullopt, "C:\\Ren\x82\\"},
        {"C:\\Tom\xe1\x9a\\", "C:\\TOM_~1\\", "C:\\TOM_~1\\"},
        {"C:\\Tom\xe1\x9a\\", std::nullopt, std::nullopt},
        {"C:\\Tom\xe1\x9a\\", "C:\\Tom\xe1\x9a\\", std::nullopt}, // no short names on this volume
    };
    for (const Case& c : cases) {
        static std::optional<std::string> shortName;
        shortName = c.shortName;
        const auto lookup = [](const std::string&) { return shortName; };
        EXPECT_EQ(batchFolderName(c.folder, fakeToOem, fakeToAnsi, lookup), c.named) << c.folder;
    }
}

} // namespace

namespace {

// Where this program runs inside a job ("Run as", a compatibility layer),
// the runner's children leave it for a job of the runner's own where the
// job allows that, and stay in it where it refuses: runs and halts work
// either way. A copy of this program runs the runner's tests inside a job.
TEST(RunnerInAJob, RunsAndHaltsWhetherTheJobLetsChildrenBreakAwayOrNot) {
    char self[MAX_PATH + 1] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    for (const bool breakawayOk : {true, false}) {
        HANDLE job = CreateJobObjectA(nullptr, nullptr);
        ASSERT_NE(job, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags =
            JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | (breakawayOk ? JOB_OBJECT_LIMIT_BREAKAWAY_OK : 0);
        ASSERT_TRUE(SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits));
        // The tests that ran are counted from the child's report: a filter
        // that no longer matches would pass with none.
        TempDir results;
        const std::string xml = results.file("results.xml");
        std::string command =
            "\"" + std::string(self) +
            "\" --gtest_filter=Runner.PlainCommandAndPercentSigns:Runner.ScriptOutputCapture*:"
            "Runner.HaltEndsAHungChildAndEverythingItStarted:"
            "ChildStart.OwnJobEndsItsChildrenWithThisProgramOnlyInsideAJob"
            " \"--gtest_output=xml:" +
            xml + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                   nullptr, &si, &pi));
        const bool joined = AssignProcessToJobObject(job, pi.hProcess) != FALSE;
        ResumeThread(pi.hThread);
        const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        CloseHandle(job); // ends whatever is left in it
        EXPECT_TRUE(joined) << breakawayOk;
        EXPECT_TRUE(ended) << breakawayOk;
        EXPECT_EQ(code, 0u) << (breakawayOk ? "break-away allowed" : "break-away refused");
        const std::string report = readFileBytes(xml);
        size_t ran = 0;
        for (size_t at = report.find("<testcase "); at != std::string::npos;
             at = report.find("<testcase ", at + 1))
            ++ran;
        EXPECT_EQ(ran, 4u) << report;
        EXPECT_EQ(report.find("<skipped"), std::string::npos) << report;
    }
}

} // namespace
