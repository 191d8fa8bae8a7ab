// "Get common Windows Environment" stopped on the way: Clear and Close while
// it runs a console command, its report file lost before the load, and a Clear
// that comes right on the tick that starts a task.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using automation::App;
using automation::waitUntil;

struct Collector : ::testing::Test {
    TempDir work;
    App app{work.path()};
    void SetUp() override {
        ASSERT_TRUE(automation::readyForCommands(app));
    }
    // The collector is inside a run of the command runner: a batch (and the
    // script host it starts) is running as our child.
    bool waitForRunnerChild() {
        return waitUntil([&] { return !automation::descendantProcesses(app.processId()).empty(); }, 60000);
    }
    bool noChildLeft(DWORD pid) {
        return waitUntil([&] { return automation::descendantProcesses(pid).empty(); }, 15000);
    }
    bool noWorkFileLeft() {
        return waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000);
    }
    // What the window shows, for a failure's message.
    std::string describe() const {
        return "view: \"" + app.text(IDC_REPORT_VIEW).substr(0, 300) + "\" status: \"" +
               app.text(IDC_STATUS_LINE) + "\" message box: \"" + app.waitForMessageBox(0).text + "\"";
    }
    // Presses the HKEY_CURRENT_CONFIG button until it is accepted (a stopped
    // worker may still be on its way out) and waits for the dump's result.
    bool currentConfigDumpCompletes() {
        const bool accepted = waitUntil(
            [&] {
                app.press(IDC_HKCC);
                return app.text(IDC_REPORT_VIEW).rfind("Getting HKEY_CURRENT_CONFIG", 0) == 0;
            },
            20000);
        return accepted && automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG");
    }
};

TEST_F(Collector, ClearWhileItRunsACommandHaltsItAndLeavesNothing) {
    app.press(IDC_COMMON_ENV);
    ASSERT_TRUE(waitForRunnerChild()) << app.text(IDC_REPORT_VIEW);
    app.press(IDC_CLEAR);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    // The halted collector leaves the status line empty and shows no report.
    EXPECT_TRUE(waitUntil([&] { return app.text(IDC_STATUS_LINE).empty(); }, 10000))
        << '"' << app.text(IDC_STATUS_LINE) << '"';
    EXPECT_TRUE(noChildLeft(app.processId()));
    EXPECT_TRUE(noWorkFileLeft()) << automation::countWorkFiles(work.path());
    Sleep(1000);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    // No halt is left over to stop the next task.
    EXPECT_TRUE(currentConfigDumpCompletes()) << describe();
}

TEST_F(Collector, CloseWhileItRunsACommandEndsTheProgramWithCodeZero) {
    // Close is pressed once the clock has entered a new second during the
    // command: the collector's next progress step then has a frame to show
    // and waits for the window (busy with Close), so the collector stops
    // only after Close has set the exit going. The command is short, so the
    // report is asked for again until that moment comes.
    const DWORD pid = app.processId();
    bool closed = false;
    for (int attempt = 0; attempt < 15 && !closed; ++attempt) {
        ASSERT_TRUE(waitUntil(
            [&] {
                app.press(IDC_COMMON_ENV);
                return app.text(IDC_STATUS_LINE) != " ";
            },
            60000));
        ASSERT_TRUE(waitForRunnerChild()) << app.text(IDC_REPORT_VIEW);
        SYSTEMTIME now;
        GetLocalTime(&now);
        const WORD second = now.wSecond;
        waitUntil(
            [&] {
                GetLocalTime(&now);
                return now.wSecond != second || automation::descendantProcesses(pid).empty();
            },
            1500);
        if (automation::descendantProcesses(pid).empty()) continue;
        app.postPress(IDC_CLOSE);
        closed = true;
    }
    ASSERT_TRUE(closed) << "the command never ran across a second";
    // Close waits at most 15 s for the report to settle; the exit steps follow within seconds.
    EXPECT_EQ(app.waitForExit(40000), 0u) << "status: " << app.text(IDC_STATUS_LINE);
    EXPECT_TRUE(noChildLeft(pid)) << automation::processNames(automation::descendantProcesses(pid));
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(Collector, ReportFileLostBeforeTheLoadIsReportedAndTheTaskReset) {
    app.press(IDC_COMMON_ENV);
    std::string file;
    ASSERT_TRUE(waitUntil(
        [&] {
            file = automation::reportWorkFile(work.path());
            return !file.empty();
        },
        60000));
    // The collector's own handle keeps the file until the task lets go of it;
    // then it is gone and the load cannot open it.
    ASSERT_TRUE(DeleteFileA(file.c_str())) << GetLastError();
    const App::ShownMessage box = app.waitForMessageBox(180000);
    ASSERT_NE(box.box, nullptr) << app.text(IDC_REPORT_VIEW);
    EXPECT_EQ(box.text, "There is not enough memory to complete the operation");
    EXPECT_EQ(box.title, "Dynamic Memory Allocation problem");
    App::dismiss(box);
    EXPECT_TRUE(waitUntil(
        [&] { return app.text(IDC_REPORT_VIEW).empty() && app.text(IDC_STATUS_LINE) == " "; }, 10000))
        << app.text(IDC_REPORT_VIEW);
    EXPECT_TRUE(noWorkFileLeft());
    EXPECT_TRUE(currentConfigDumpCompletes()) << describe();
}

TEST_F(Collector, ClearOnTheTickThatStartsATaskLeavesNoFileOfThePreviousOne) {
    // Whether Clear or the new worker comes first is up to the scheduler, so
    // the start is tried a few times for each kind of worker.
    for (int command : {IDC_COMMON_ENV, IDC_HKCC, IDC_COMMON_ENV, IDC_HKCC}) {
        SCOPED_TRACE(command);
        // A finished dump leaves its (deleted) report file's name behind.
        ASSERT_TRUE(currentConfigDumpCompletes()) << describe();
        ASSERT_EQ(automation::countWorkFiles(work.path()), 0);
        // The command, the tick that starts its worker and Clear, in this
        // order and without a gap: Clear runs while the new worker starts up.
        app.postPress(command);
        app.postTick();
        app.postPress(IDC_CLEAR);
        // Once the window has taken the three up, it answers again only when Clear is over.
        Sleep(300);
        app.text(IDC_STATUS_LINE);
        EXPECT_TRUE(noWorkFileLeft()) << "the halt line brought the previous task's file back";
        Sleep(1000);
        ASSERT_EQ(automation::countWorkFiles(work.path()), 0);
        EXPECT_TRUE(noChildLeft(app.processId()));
    }
}

} // namespace
