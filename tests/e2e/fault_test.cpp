// Faults from outside the program while it works: a work directory it cannot
// write, its report file deleted under it, a registry key deleted under the
// walker, a command interpreter that finds none of the tools. Each case ends
// with the window usable and nothing of the task left in the work directory.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using automation::App;
using automation::waitUntil;

std::string viewOf(const App& app) {
    return app.text(IDC_REPORT_VIEW);
}

// The window still takes commands: Clear empties the view and the current
// configuration dump runs to its result.
void expectUsable(App& app, const std::string& workDir, bool dumpCompletes = true) {
    ASSERT_EQ(app.waitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the program ended";
    app.press(IDC_CLEAR);
    EXPECT_EQ(viewOf(app), "\r\n\r\n ");
    if (!dumpCompletes) return;
    const bool accepted = waitUntil(
        [&] {
            app.press(IDC_HKCC);
            return viewOf(app).rfind("Getting HKEY_CURRENT_CONFIG", 0) == 0 ||
                   automation::hiveResultShown(app, "HKEY_CURRENT_CONFIG");
        },
        20000);
    EXPECT_TRUE(accepted && automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG", 60000)) << viewOf(app);
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(workDir) == 0; }, 15000));
}

// TEMP names a folder the program cannot write its work files into.
struct UnwritableWorkDirectory : ::testing::TestWithParam<const char*> {};

TEST_P(UnwritableWorkDirectory, EveryFileTaskSaysSoNamingTheFolder) {
    TempDir parent;
    const std::string kind = GetParam();
    std::string workDir = parent.path() + "not here\\";
    if (kind == "a file") {
        // A file where the folder should be.
        workDir = parent.path() + "occupied\\";
        writeFileBytes(parent.path() + "occupied", "not a folder");
    }
    App app{workDir};
    ASSERT_TRUE(automation::readyForCommands(app));

    for (int command : {IDC_HKCC, IDC_COMMON_ENV, IDC_IE, IDC_SERVICES, IDC_HKCU}) {
        SCOPED_TRACE(command);
        // The task before comes to its end just after it has emptied the view
        // and the status line; a press in that moment is refused (a beep, which
        // changes nothing), so it is repeated until the window takes it.
        const bool taken = waitUntil(
            [&] {
                app.postPress(command);
                return waitUntil(
                    [&] {
                        return !viewOf(app).empty() || app.text(IDC_STATUS_LINE) != " " ||
                               app.waitForMessageBox(0).box != nullptr;
                    },
                    1000);
            },
            20000);
        ASSERT_TRUE(taken) << "the command was never taken";
        const App::ShownMessage box = app.waitForMessageBox(20000);
        ASSERT_NE(box.box, nullptr) << "no message; view: " << viewOf(app).substr(0, 300);
        EXPECT_EQ(box.title, "File Creation Error!");
        EXPECT_NE(box.text.find(workDir), std::string::npos) << box.text;
        App::dismiss(box);
        EXPECT_TRUE(waitUntil([&] { return app.waitForMessageBox(0).box == nullptr; }, 10000));
        // No report, the task over: the next command is taken at once.
        EXPECT_TRUE(waitUntil([&] { return viewOf(app).empty() && app.text(IDC_STATUS_LINE) == " "; }, 10000))
            << viewOf(app).substr(0, 300);
    }
    // App Paths writes into the view; only its scripts need the folder.
    app.postPress(IDC_APP_PATHS);
    EXPECT_TRUE(waitUntil(
        [&] {
            const std::string view = viewOf(app);
            return view.find(" Microsoft Windows Application Path") == 0 &&
                   view.find("Korvexer.exe -> ") != std::string::npos && app.text(IDC_STATUS_LINE) == " ";
        },
        120000))
        << viewOf(app).substr(0, 300);
    EXPECT_EQ(app.waitForMessageBox(0).box, nullptr);
    expectUsable(app, workDir, false);
}

INSTANTIATE_TEST_SUITE_P(Faults, UnwritableWorkDirectory, ::testing::Values("missing", "a file"));

struct Faults : ::testing::Test {
    TempDir work;
};

// Deleted while the local-machine dump writes it: the file stays until the
// program lets go of it (Windows NT and Wine keep a deleted open file), and
// then cannot be read back.
TEST_F(Faults, ReportFileDeletedWhileADumpWritesIt) {
    App app{work.path()};
    ASSERT_TRUE(automation::readyForCommands(app));
    app.press(IDC_HKLM);
    std::string report;
    ASSERT_TRUE(waitUntil(
        [&] {
            report = automation::reportWorkFile(work.path());
            return !report.empty() && automation::fileSize(report) > 0;
        },
        60000));
    ASSERT_TRUE(DeleteFileA(report.c_str())) << GetLastError();

    const App::ShownMessage box = app.waitForMessageBox(200000);
    ASSERT_NE(box.box, nullptr) << viewOf(app).substr(0, 300);
    EXPECT_EQ(box.text, "Error- > Can not read work file\n\nUnable to show result!!");
    EXPECT_EQ(box.title, report);
    App::dismiss(box);
    // The view keeps the command's heading (or the live view): no part of
    // the dump is shown as its result.
    const std::string view = viewOf(app);
    EXPECT_NE(view.rfind("HKEY_LOCAL_MACHINE Registry:", 0), 0u) << view.substr(0, 300);
    EXPECT_EQ(view.find("Korvexer.exe -> "), std::string::npos) << view.substr(0, 300);
    EXPECT_EQ(app.text(IDC_STATUS_LINE), " ");
    expectUsable(app, work.path());
}

// The last `bytes` of a file another process is writing.
std::string tailOf(const std::string& path, LONG bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    const DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size > static_cast<DWORD>(bytes))
        SetFilePointer(file, -bytes, nullptr, FILE_END);
    std::string text(static_cast<size_t>(bytes), '\0');
    DWORD got = 0;
    if (!ReadFile(file, text.data(), static_cast<DWORD>(bytes), &got, nullptr)) got = 0;
    CloseHandle(file);
    text.resize(got);
    return text;
}

// Thousands of keys of our own below HKEY_CURRENT_USER\Software, deleted from
// the far end as soon as the report file shows the walker among the first
// of them. Walker and deletion meet somewhere in between; where depends on
// the machine's pace, so a run in which they did not meet (the walk through
// before the deletion began, or the deletion through before the walk came)
// proves nothing and is repeated with a fresh tree.
TEST_F(Faults, KeyDeletedWhileTheWalkerIsInside) {
    const int kBranches = 150;
    const int kLeaves = 100;
    bool met = false;
    // Another attempt only while one more fits the test's time.
    const DWORD started = GetTickCount();
    for (int attempt = 0; attempt < 3 && !met && GetTickCount() - started < 60000; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        TestKey planted;
        for (int b = 0; b < kBranches; ++b) {
            HKEY branch = planted.create("Branch" + std::to_string(1000 + b));
            ASSERT_NE(branch, nullptr);
            for (int l = 0; l < kLeaves; ++l) {
                HKEY leaf = nullptr;
                const std::string name = "Leaf" + std::to_string(1000 + l);
                ASSERT_EQ(RegCreateKeyExA(branch, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &leaf,
                                          nullptr),
                          ERROR_SUCCESS);
                const char value[] = "planted";
                RegSetValueExA(leaf, "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
                RegCloseKey(leaf);
            }
            RegCloseKey(branch);
        }
        App app{work.path()};
        ASSERT_TRUE(automation::readyForCommands(app));
        app.press(IDC_HKCU);
        // The report file reaches the disk 64 KB at a time: some hundred keys.
        const std::string firstBranch = planted.path() + "\\Branch1000\\";
        ASSERT_TRUE(waitUntil(
            [&] {
                const std::string file = automation::reportWorkFile(work.path());
                return !file.empty() && tailOf(file, 256 * 1024).find(firstBranch) != std::string::npos;
            },
            60000));
        for (int b = kBranches - 1; b >= 0; --b) {
            const std::string branch = planted.path() + "\\Branch" + std::to_string(1000 + b);
            // Wine's RegDeleteTree takes the key itself too; Windows leaves it.
            ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, branch.c_str()), ERROR_SUCCESS);
            RegDeleteKeyA(HKEY_CURRENT_USER, branch.c_str());
        }

        // The dump goes on past the deleted keys and ends as a whole report.
        ASSERT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_USER", 90000))
            << viewOf(app).substr(0, 300);
        const std::string view = viewOf(app);
        EXPECT_NE(view.find("   Key: " + planted.path() + "\\Branch1000"), std::string::npos)
            << "the keys walked before the deletion are in the report";
        // What comes after the planted key in the hive is there.
        EXPECT_NE(view.find("   Key: Software\\Wine"), std::string::npos);
        EXPECT_EQ(app.waitForMessageBox(0).box, nullptr);
        expectUsable(app, work.path());
        met = view.find("   Key: " + planted.path() + "\\Branch" + std::to_string(1000 + kBranches - 1) +
                        "\\Leaf" + std::to_string(1000 + kLeaves - 1)) == std::string::npos;
    }
    EXPECT_TRUE(met) << "in no attempt did the deletion reach keys the walker had yet to walk";
}

// The system's own script host and console tools are found whatever PATH
// says: the command interpreter starts in the system folder and looks there
// first. Tools that Wine lacks (nbtstat, mode, mem) leave their sections out
// either way, and the rest of the report comes.
TEST(ToolsOnThePath, CommonReportComesWholeWithNoToolOnThePath) {
    TempDir work;
    App app{work.path(), {"PATH=C:\\korvexer-no-tools-here"}};
    ASSERT_TRUE(automation::readyForCommands(app));
    app.press(IDC_COMMON_ENV);
    std::string view;
    ASSERT_TRUE(waitUntil(
        [&] {
            view = viewOf(app);
            return view.find("Korvexer.exe -> ") != std::string::npos && app.text(IDC_STATUS_LINE) == " ";
        },
        200000))
        << view.substr(0, 300);
    EXPECT_EQ(app.waitForMessageBox(0).box, nullptr);
    for (const char* present : {"User / Windows Environment:", "OperatingSystem:", "MemoryStatus:",
                                "Network Adapters Info:", "Logical Drives:"})
        EXPECT_NE(view.find(present), std::string::npos) << present;
    // "ipconfig /all" prints this line under Wine; the script host the
    // processor's lines.
    EXPECT_NE(view.find("Primary DNS suffix. . "), std::string::npos);
    EXPECT_NE(view.find("\r\r\nAddress Width: "), std::string::npos);
    EXPECT_TRUE(waitUntil([&] { return automation::descendantProcesses(app.processId()).empty(); }, 15000));
    expectUsable(app, work.path());
}

} // namespace
