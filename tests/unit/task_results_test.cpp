// The ends of the collector task and of a hive dump: what reaches the view,
// which message each failure shows, what is reset and what is left alone.
#include "app/task_driver.h"
#include "app/task_results.h"
#include "report/report_writer.h"
#include "support/fake_messages.h"
#include "support/fake_view.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <new>

namespace {

// A view that cannot take a whole report: the copy into it runs out of memory.
class ShortOfMemoryView : public FakeView {
  public:
    void setWholeText(const std::string&) override { throw std::bad_alloc(); }
};

// A view that holds only the first few characters of the first `refusals` texts it is given.
class RefusingView : public FakeView {
  public:
    int refusals = 0;
    void setWholeText(const std::string& text) override {
        content = refusals-- > 0 ? text.substr(0, 10) : text;
        ++setCalls;
    }
};

struct TaskEnd : ::testing::Test {
    TempDir dir;
    FakeStatus status;
    RecordingMessages messages;
    ControllerState state;
    std::vector<unsigned> sleeps;
    std::vector<std::pair<std::string, std::string>> exits;
    LoadEdges edges;
    const std::string report = dir.file("Korvexer_work_file.0123450.txt");
    const std::string keys = report + "keys";

    TaskEnd() {
        state.status = &status;
        state.messages = &messages;
        edges.sleep = [this](unsigned ms) { sleeps.push_back(ms); };
        edges.failureExit = [this](const std::string& r, const std::string& k) { exits.emplace_back(r, k); };
    }
    void use(FakeView& view) { state.view = &view; }
    // A task accepted and taken up by its worker (whatever task ran before is over).
    TaskLife::Ticket taskRunning() {
        state.life.end(state.life.current());
        const TaskLife::Ticket ticket = state.life.start();
        EXPECT_TRUE(state.life.run(ticket));
        return ticket;
    }
    // A collector task as the worker leaves it when the collector returns.
    void collectorRunning(const std::string& fileBytes) {
        taskRunning();
        writeFileBytes(report, fileBytes);
        state.reportPath.set(report);
        state.collectorReportPath.set(report);
        state.collectorRunning = 1;
        state.collectorActive = 1;
        state.animateStatus = 1;
        state.noReportYet = 0;
    }
    // The window's own state, which no worker may touch.
    void windowBusyWithItsOwnState() {
        state.closing = 1;
        state.layoutPending = 1;
        state.relayoutOnTick = 1;
        state.searchBarShown = 1;
        state.searchRunPending = 1;
    }
    void expectWindowStateUntouched() {
        EXPECT_EQ(state.closing, 1) << "a Close in progress was undone";
        EXPECT_EQ(state.layoutPending, 1u);
        EXPECT_EQ(state.relayoutOnTick, 1);
        EXPECT_EQ(state.searchBarShown, 1);
        EXPECT_EQ(state.searchRunPending, 1);
    }
    void expectCollectorTaskOver() {
        EXPECT_EQ(state.life.phase(), TaskPhase::Idle) << "the next command is taken";
        EXPECT_EQ(state.collectorRunning, 0u);
        EXPECT_EQ(state.collectorActive, 0);
        EXPECT_EQ(state.animateStatus, 0);
        EXPECT_EQ(state.haltRequested, 0);
        EXPECT_FALSE(fileExists(report));
    }
    // A finished hive dump waiting for the task driver.
    void dumpFinished(const std::string& fileBytes) {
        EXPECT_TRUE(state.life.finishRun(taskRunning()));
        writeFileBytes(report, fileBytes);
        writeFileBytes(keys, "Software\n");
        state.reportPath.set(report);
        state.keysListPath.set(keys);
        state.resultHeader.set("HKEY_USERS Registry:\r\n");
        state.resultReady = 1;
        state.collectorRunning = 1;
    }
};

TEST(CollectorLoadFailure, EachOutcomeHasItsOwnMessage) {
    struct Case {
        ReadOutcome outcome;
        const char* text;
    } cases[] = {
        {ReadOutcome::Read, nullptr},
        {ReadOutcome::CannotOpen, "There is not enough memory to complete the operation"},
        {ReadOutcome::NoMemory, "There is not Enough memory to complete the operation"},
    };
    for (const auto& c : cases) {
        const char* text = collectorLoadFailureText(c.outcome);
        if (c.text == nullptr)
            EXPECT_EQ(text, nullptr);
        else
            EXPECT_STREQ(text, c.text);
    }
}

TEST_F(TaskEnd, CollectorReportIsShownUpToItsFirstZeroByte) {
    FakeView view;
    use(view);
    view.content = "\r\n\r\nGetting Common Windows Environment .. \r\n\r\n";
    collectorRunning(std::string("the report\r\r\n\0junk", 18));
    finishCollectorTask(state, report, edges);
    EXPECT_EQ(view.content, "the report\r\r\n");
    EXPECT_EQ(state.reportLength, 13);
    // Deleted, the name is no longer this copy's: Clear and Close must not reach it.
    EXPECT_TRUE(state.reportPath.empty());
    EXPECT_TRUE(state.collectorReportPath.empty());
    EXPECT_EQ(status.shown.back(), " ");
    EXPECT_TRUE(messages.shown.empty());
    expectCollectorTaskOver();
}

TEST_F(TaskEnd, EachCollectorFailureShowsItsMessageEmptiesTheViewAndResets) {
    struct Case {
        const char* what;
        std::function<ReadOutcome(const std::string&, std::string&)> read;
        bool viewShortOfMemory;
        const char* message;
    } cases[] = {
        {"file gone", readReportWorkFile, false, "There is not enough memory to complete the operation"},
        {"file cannot be opened", [](const std::string&, std::string&) { return ReadOutcome::CannotOpen; },
         false, "There is not enough memory to complete the operation"},
        {"no memory for the read", [](const std::string&, std::string&) { return ReadOutcome::NoMemory; },
         false, "There is not Enough memory to complete the operation"},
        {"no memory for the copy into the view", readReportWorkFile, true,
         "There is not Enough memory to complete the operation"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeView plainView;
        ShortOfMemoryView shortView;
        FakeView& view = c.viewShortOfMemory ? shortView : plainView;
        use(view);
        view.content = "\r\n\r\nGetting Common Windows Environment .. \r\n\r\n";
        messages.shown.clear();
        collectorRunning("report text");
        if (std::string(c.what) == "file gone") DeleteFileA(report.c_str());
        windowBusyWithItsOwnState();
        edges.read = c.read;

        finishCollectorTask(state, report, edges);

        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].title, "Dynamic Memory Allocation problem");
        EXPECT_EQ(view.content, "");
        EXPECT_EQ(status.shown.back(), " ");
        EXPECT_EQ(state.noReportYet, 1);
        EXPECT_TRUE(state.reportPath.empty());
        expectCollectorTaskOver();
        expectWindowStateUntouched();
    }
}

// The file took only part of the report (its folder vanished, the disk
// filled): the collector and Internet Explorer tasks show none of it and name
// the folder to the user.
TEST_F(TaskEnd, ReportWhoseFileLostTextIsNeverShown) {
    const std::string folder = dir.path() + "gone\\";
    const std::string lost = folder + "Korvexer_work_file.0123450.txt";
    for (const bool ie : {false, true}) {
        SCOPED_TRACE(ie ? "Internet Explorer" : "collector");
        FakeView view;
        use(view);
        view.content = "Getting IE information ...........\r\n";
        messages.shown.clear();
        taskRunning();
        state.reportPath.set(lost);
        state.collectorRunning = ie ? 0 : 1;
        state.ieRunning = ie ? 1 : 0;
        EXPECT_FALSE(state.reportFile.append(lost, "part of the report"));
        // A file of the same name may be readable by then; it is not shown either.
        edges.read = [](const std::string&, std::string& out) {
            out = "part of the report";
            return ReadOutcome::Read;
        };
        if (ie)
            finishIeTask(state, lost, true, edges);
        else
            finishCollectorTask(state, lost, edges);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "File Creation Error!");
        EXPECT_NE(messages.shown[0].text.find(folder), std::string::npos) << messages.shown[0].text;
        EXPECT_EQ(view.content, "");
        EXPECT_EQ(status.shown.back(), " ");
        EXPECT_EQ(state.collectorRunning, 0u);
        EXPECT_EQ(state.ieRunning, 0);
    }
    // A task whose writes all arrived is not taken for one that lost some.
    FakeView view;
    use(view);
    messages.shown.clear();
    collectorRunning("");
    ASSERT_TRUE(state.reportFile.append(report, "whole report"));
    edges.read = readReportWorkFile;
    finishCollectorTask(state, report, edges);
    EXPECT_EQ(view.content, "whole report");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TaskEnd, HaltedCollectorLeavesTheWindowsOwnStateAlone) {
    // Close has set `closing` while the worker was still on its way to the
    // halt check: the worker's reset must not take the exit away.
    FakeView view;
    use(view);
    view.content = "\r\n\r\n ";
    collectorRunning("partial report\r\r\n\r\r\nClear button activated. Sub process force halt!\r\r\n");
    state.life.halt();
    windowBusyWithItsOwnState();
    finishCollectorTask(state, report, edges);
    expectWindowStateUntouched();
    expectCollectorTaskOver();
    EXPECT_EQ(view.content, "\r\n\r\n ") << "a halted report is never shown";
    EXPECT_EQ(status.shown.back(), "") << "the status line is left empty";
    EXPECT_TRUE(messages.shown.empty());
}

// Clear (or Close) runs while the finished report is read for the view: the
// read stands for the window's thread clearing the view and raising the halt.
std::function<ReadOutcome(const std::string&, std::string&)> clearDuringTheRead(ControllerState& state,
                                                                                FakeView& view) {
    return [&state, &view](const std::string& path, std::string& out) {
        view.content = "\r\n\r\n ";
        state.life.halt();
        return readReportWorkFile(path, out);
    };
}

TEST_F(TaskEnd, CollectorReportHaltedDuringItsLoadIsNeverShown) {
    FakeView view;
    use(view);
    collectorRunning("the whole report\r\r\n");
    edges.read = clearDuringTheRead(state, view);
    finishCollectorTask(state, report, edges);
    EXPECT_EQ(view.content, "\r\n\r\n ") << "the cleared view stays cleared";
    EXPECT_TRUE(messages.shown.empty());
    expectCollectorTaskOver();
}

TEST_F(TaskEnd, ClearRightAfterTheCollectorReportIsShownEndsWithThatTask) {
    FakeView view;
    use(view);
    collectorRunning("the whole report\r\r\n");
    // The report reaches the view, and Clear comes right behind it, while
    // the worker is still on its way out.
    edges.show = [&](TaskLife::Ticket ticket, const std::string& text, bool endTask) {
        const bool shown = showTaskResult(state, ticket, text, endTask);
        EXPECT_EQ(view.content, text);
        state.life.halt();
        view.content = "\r\n\r\n ";
        return shown;
    };
    finishCollectorTask(state, report, edges);
    expectCollectorTaskOver();
    EXPECT_EQ(view.content, "\r\n\r\n ");
    // The next task starts without the halt that was meant for this one.
    const TaskLife::Ticket next = state.life.start();
    ASSERT_NE(next, 0u);
    EXPECT_EQ(state.haltRequested, 0);
    EXPECT_TRUE(state.life.run(next));
}

TEST_F(TaskEnd, CollectorSweepsStaleWorkFilesBeforeTheLoadAndSparesItsOwn) {
    FakeView view;
    use(view);
    char previous[MAX_PATH] = {};
    const bool hadTemp = GetEnvironmentVariableA("TEMP", previous, sizeof previous) > 0;
    SetEnvironmentVariableA("TEMP", dir.path().c_str());
    const std::vector<std::string> stale = {dir.file("Korvexer_work_file.9999990.txt"),
                                            dir.file("korvexDlg32_temp_file.9999991.txt"),
                                            dir.file("korvexDlg32_work_file.9999992.vbs")};
    for (const std::string& path : stale)
        writeFileBytes(path, "left by an earlier run");
    writeFileBytes(dir.file("notes.txt"), "not ours");
    collectorRunning("the whole report\r\r\n");
    finishCollectorTask(state, report, edges, true);
    SetEnvironmentVariableA("TEMP", hadTemp ? previous : nullptr);
    EXPECT_EQ(view.content, "the whole report\r\r\n") << "the report's own file outlived the sweep";
    for (const std::string& path : stale)
        EXPECT_FALSE(fileExists(path)) << path;
    EXPECT_TRUE(fileExists(dir.file("notes.txt")));
    expectCollectorTaskOver();
}

TEST_F(TaskEnd, HiveResultHaltedDuringItsLoadIsNeverShown) {
    FakeView view;
    use(view);
    dumpFinished("\r\r\n   Key: Software\r\r\n");
    edges.read = clearDuringTheRead(state, view);
    loadHiveResult(state, edges);
    EXPECT_EQ(view.content, "\r\n\r\n ");
    EXPECT_EQ(state.life.phase(), TaskPhase::Idle);
    EXPECT_EQ(state.haltRequested, 0);
    EXPECT_FALSE(fileExists(report));
    EXPECT_FALSE(fileExists(keys));
    EXPECT_TRUE(exits.empty());
}

TEST_F(TaskEnd, HiveResultIsHeaderFileLinesAndTrailer) {
    FakeView view;
    use(view);
    dumpFinished("\r\r\n   Key: Software\r\r\n\t v: 1\r\r\n");
    loadHiveResult(state, edges);
    EXPECT_EQ(view.content,
              composeHiveResult("HKEY_USERS Registry:\r\n", "\r\r\n   Key: Software\r\r\n\t v: 1\r\r\n"));
    EXPECT_EQ(state.reportLength, static_cast<int32_t>(view.content.size()));
    EXPECT_EQ(status.shown.back(), " ");
    EXPECT_EQ(state.resultReady, 0);
    EXPECT_EQ(state.collectorRunning, 0u);
    EXPECT_FALSE(fileExists(report));
    EXPECT_FALSE(fileExists(keys));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(exits.empty());
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(TaskEnd, UnreadableHiveResultIsReportedUnderItsPath) {
    FakeView view;
    use(view);
    view.content = "Getting HKEY_USERS Registry: \r\n";
    dumpFinished("");
    DeleteFileA(report.c_str());
    loadHiveResult(state, edges);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Error- > Can not read work file\n\nUnable to show result!!");
    EXPECT_EQ(messages.shown[0].title, report);
    EXPECT_EQ(view.content, "Getting HKEY_USERS Registry: \r\n") << "the view keeps what it showed";
    EXPECT_EQ(status.shown.back(), " ");
    EXPECT_EQ(state.resultReady, 0);
    EXPECT_FALSE(fileExists(keys));
    EXPECT_TRUE(exits.empty());
}

TEST_F(TaskEnd, HiveResultTheViewCannotTakeEndsInTheFailureExit) {
    // A large dump in a 32-bit process: composing or handing over the text
    // runs out of memory, or the view keeps refusing it.
    const std::string lines(400, 'x');
    struct Case {
        const char* what;
        std::function<ReadOutcome(const std::string&, std::string&)> read;
        bool viewShortOfMemory;
        int refusals;
        size_t sleeps;
    } cases[] = {
        {"copy into the view fails", readReportWorkFile, true, 0, 0},
        {"no memory for the read", [](const std::string&, std::string&) { return ReadOutcome::NoMemory; },
         false, 0, 0},
        {"the read throws for want of memory",
         [](const std::string&, std::string&) -> ReadOutcome { throw std::bad_alloc(); }, false, 0, 0},
        {"the view refuses every attempt", readReportWorkFile, false, 100, 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ShortOfMemoryView shortView;
        RefusingView refusingView;
        refusingView.refusals = c.refusals;
        FakeView& view = c.viewShortOfMemory ? static_cast<FakeView&>(shortView) : refusingView;
        use(view);
        exits.clear();
        sleeps.clear();
        dumpFinished(lines);
        edges.read = c.read;

        loadHiveResult(state, edges);

        ASSERT_EQ(exits.size(), 1u);
        EXPECT_EQ(exits[0].first, report);
        EXPECT_EQ(exits[0].second, keys);
        EXPECT_EQ(state.resultReady, 0) << "the tick must not load it again";
        EXPECT_EQ(sleeps.size(), c.sleeps);
        DeleteFileA(report.c_str());
        DeleteFileA(keys.c_str());
    }
}

TEST_F(TaskEnd, HiveResultTakenAtTheSecondAttemptAfterOneWait) {
    RefusingView view;
    view.refusals = 1;
    use(view);
    dumpFinished(std::string(400, 'x'));
    loadHiveResult(state, edges);
    EXPECT_EQ(sleeps, std::vector<unsigned>{1500});
    EXPECT_EQ(view.setCalls, 2);
    EXPECT_EQ(view.content.size(),
              composeHiveResult("HKEY_USERS Registry:\r\n", std::string(400, 'x')).size());
    EXPECT_TRUE(exits.empty());
    EXPECT_FALSE(fileExists(report));
    EXPECT_TRUE(state.reportPath.empty()) << "the deleted files' names are forgotten";
    EXPECT_TRUE(state.keysListPath.empty());
}

// The Internet Explorer worker's end: its file becomes the view's text with
// the trailer; a halt deletes it unseen; a failure shows its message.
struct IeTaskEnd : TaskEnd {
    void ieRunning(const std::string& fileBytes) {
        taskRunning();
        writeFileBytes(report, fileBytes);
        state.reportPath.set(report);
        state.ieRunning = 1;
        state.noReportYet = 0;
    }
    void expectIeTaskOver() {
        EXPECT_EQ(state.life.phase(), TaskPhase::Idle) << "the next command is taken";
        EXPECT_EQ(state.ieRunning, 0);
        EXPECT_EQ(state.animateStatus, 0);
        EXPECT_EQ(state.haltRequested, 0);
        EXPECT_EQ(status.shown.back(), " ");
        EXPECT_FALSE(fileExists(report)) << "no work file stays behind";
    }
};

TEST_F(IeTaskEnd, FinishedReportIsShownWithTheTrailer) {
    FakeView view;
    use(view);
    view.content = "Getting IE information ...........\r\n";
    ieRunning("\r\r\nInternet Explorer History for user: alice\r\r\n");
    finishIeTask(state, report, true, edges);
    const std::string shown =
        std::string("\r\r\nInternet Explorer History for user: alice\r\r\n") + reportTrailer();
    EXPECT_EQ(view.content, shown);
    EXPECT_EQ(state.reportLength, static_cast<int32_t>(shown.size()));
    EXPECT_TRUE(state.reportPath.empty()) << "the deleted file's name is forgotten";
    EXPECT_TRUE(messages.shown.empty());
    expectIeTaskOver();
}

TEST_F(IeTaskEnd, HaltedReportIsDeletedUnseen) {
    for (const bool completed : {false, true}) {
        FakeView view;
        use(view);
        view.content = "\r\n\r\n ";
        ieRunning("partial\r\r\nClear button activated. Sub process force halt!\r\r\n");
        // A report that stopped at a halt, or one that finished just as the halt came.
        if (completed) state.life.halt();
        windowBusyWithItsOwnState();
        finishIeTask(state, report, completed, edges);
        EXPECT_EQ(view.content, "\r\n\r\n ");
        EXPECT_TRUE(messages.shown.empty());
        expectIeTaskOver();
        expectWindowStateUntouched();
    }
}

TEST_F(IeTaskEnd, ReportHaltedDuringItsLoadIsNeverShown) {
    FakeView view;
    use(view);
    ieRunning("\r\r\nInternet Explorer History for user: alice\r\r\n");
    edges.read = clearDuringTheRead(state, view);
    finishIeTask(state, report, true, edges);
    EXPECT_EQ(view.content, "\r\n\r\n ") << "the cleared view stays cleared";
    EXPECT_TRUE(messages.shown.empty());
    expectIeTaskOver();
}

TEST_F(IeTaskEnd, EachFailureShowsItsMessageEmptiesTheViewAndDeletesTheFile) {
    struct Case {
        const char* what;
        std::function<ReadOutcome(const std::string&, std::string&)> read;
        bool viewShortOfMemory;
        const char* message;
    } cases[] = {
        {"file cannot be opened", [](const std::string&, std::string&) { return ReadOutcome::CannotOpen; },
         false, "There is not enough memory to complete the operation"},
        {"no memory for the read", [](const std::string&, std::string&) { return ReadOutcome::NoMemory; },
         false, "There is not Enough memory to complete the operation"},
        {"no memory for the copy into the view", readReportWorkFile, true,
         "There is not Enough memory to complete the operation"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeView plainView;
        ShortOfMemoryView shortView;
        FakeView& view = c.viewShortOfMemory ? shortView : plainView;
        use(view);
        view.content = "Getting IE information ...........\r\n";
        messages.shown.clear();
        ieRunning("report text");
        edges.read = c.read;
        finishIeTask(state, report, true, edges);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].title, "Dynamic Memory Allocation problem");
        EXPECT_EQ(view.content, "");
        expectIeTaskOver();
    }
}

// Clear or Close comes while a finished report is on its way into the view;
// both the collector's and the Internet Explorer worker's end.
struct HaltDuringLoad : IeTaskEnd {
    FakeView view;
    bool collector = false;
    void running(bool isCollector) {
        collector = isCollector;
        use(view);
        view.content = "Getting ...\r\n";
        messages.shown.clear();
        if (collector)
            collectorRunning("the whole report\r\r\n");
        else
            ieRunning("the whole report\r\r\n");
    }
    void finish() {
        if (collector)
            finishCollectorTask(state, report, edges);
        else
            finishIeTask(state, report, true, edges);
    }
};

TEST_F(HaltDuringLoad, ReportClearDeletedUnderTheReadIsDroppedWithoutAMessage) {
    for (const bool isCollector : {true, false}) {
        SCOPED_TRACE(isCollector ? "collector" : "Internet Explorer");
        running(isCollector);
        // Clear empties the view, raises the halt and deletes the file before the read opens it.
        edges.read = [this](const std::string& path, std::string&) {
            view.content = "\r\n\r\n ";
            state.life.halt();
            DeleteFileA(path.c_str());
            return ReadOutcome::CannotOpen;
        };
        finish();
        EXPECT_TRUE(messages.shown.empty()) << "a Clear is no shortage of memory";
        EXPECT_EQ(view.content, "\r\n\r\n ") << "the cleared view stays cleared";
        EXPECT_EQ(state.life.phase(), TaskPhase::Idle);
        EXPECT_EQ(state.haltRequested, 0);
        EXPECT_FALSE(fileExists(report));
    }
}

// Close runs once per program: one task of each kind, each in a fixture of its own.
void closeDuringTheLoad(HaltDuringLoad& t, bool isCollector) {
    t.running(isCollector);
    t.edges.read = [&t](const std::string& path, std::string& out) {
        t.status.setStatus("Shutdown .. please Wait");
        t.state.life.close();
        return readReportWorkFile(path, out);
    };
    t.finish();
    EXPECT_EQ(t.status.shown.back(), "Shutdown .. please Wait");
    EXPECT_EQ(t.view.content, "Getting ...\r\n") << "a closed task's report is never shown";
    EXPECT_FALSE(fileExists(t.report));
}

TEST_F(HaltDuringLoad, CloseKeepsItsShutdownStatusForTheCollector) {
    closeDuringTheLoad(*this, true);
}

TEST_F(HaltDuringLoad, CloseKeepsItsShutdownStatusForInternetExplorer) {
    closeDuringTheLoad(*this, false);
}

TEST_F(TaskEnd, ReportFileOfAStartingTaskIsTheTasksOwnOrNone) {
    FakeView view;
    use(view);
    const std::string others = dir.file("Korvexer_work_file.5555550.txt");
    writeFileBytes(others, "another copy's report");
    struct Case {
        const char* what;
        NameClaim outcome;
        std::string path;
        const char* message; // nullptr: the file is handed out
        const char* title;
    } cases[] = {
        {"every name taken", NameClaim::Taken, others,
         "Unable to create temporary file. Make sure the disk is not full or write protected.",
         "File Creation Error!"},
        {"folder refuses", NameClaim::Refused, dir.file("missing\\Korvexer_work_file.1111110.txt"), nullptr,
         "File Creation Error!"},
        {"made", NameClaim::Created, report, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.shown.clear();
        view.content = "header";
        if (c.outcome == NameClaim::Created) writeFileBytes(c.path, "");
        const std::string got = claimReportWorkFile(state, [&] { return ClaimedName{c.path, c.outcome}; });
        if (c.title == nullptr) {
            EXPECT_EQ(got, c.path);
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(view.content, "header");
            continue;
        }
        EXPECT_EQ(got, "") << "no name that is not the task's own";
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, c.title);
        if (c.message != nullptr) {
            EXPECT_EQ(messages.shown[0].text, c.message);
        }
        EXPECT_EQ(view.content, "");
    }
    EXPECT_EQ(readFileBytes(others), "another copy's report") << "never written to";
    state.reportFile.close();
}

TEST_F(TaskEnd, WorkFileOfATaskThatNeverStartedIsDeletedAndForgotten) {
    for (const bool started : {false, true}) {
        SCOPED_TRACE(started ? "started" : "refused");
        writeFileBytes(report, "");
        writeFileBytes(keys, "");
        state.reportPath.set(report);
        state.keysListPath.set(keys);
        {
            UnstartedWorkFile file(state);
            file.made(report, keys);
            if (started) file.keep();
        }
        EXPECT_EQ(fileExists(report), started);
        EXPECT_EQ(fileExists(keys), started);
        EXPECT_EQ(state.reportPath.empty(), !started);
        EXPECT_EQ(state.keysListPath.empty(), !started);
    }
}

} // namespace
