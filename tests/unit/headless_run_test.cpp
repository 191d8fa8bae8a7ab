// A report run without the window: its result is the text the window's view
// would hold, and a halted run leaves neither a result nor a work file.
#include "app/headless_run.h"
#include "app/progress_line.h"
#include "app/task_commands.h"
#include "report/critical_section.h"
#include "report/report_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <new>
#include <vector>

namespace {

// Work files go to a folder of the test's own, so that what is left can be counted.
struct HeadlessRun : ::testing::Test {
    TempDir work;
    std::string savedTemp = variable("TEMP");
    std::string savedTmp = variable("TMP");

    void SetUp() override {
        SetEnvironmentVariableA("TEMP", work.path().c_str());
        SetEnvironmentVariableA("TMP", work.path().c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("TEMP", savedTemp.c_str());
        SetEnvironmentVariableA("TMP", savedTmp.c_str());
    }
    static std::string variable(const char* name) {
        char value[MAX_PATH + 1] = {};
        GetEnvironmentVariableA(name, value, sizeof value);
        return value;
    }
    int filesLeft() const {
        int count = 0;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((work.path() + "*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return 0;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return count;
    }
};

TEST_F(HeadlessRun, HiveDumpEndsAsTheWindowShowsIt) {
    HeadlessHost host;
    const std::string outcome = runHeadlessTask(host, *findTaskCommandByKind("hkcc"));
    EXPECT_EQ(outcome, "");
    const std::string text = host.viewText();
    EXPECT_EQ(text.rfind("HKEY_CURRENT_CONFIG Registry:\r\n\r\n", 0), 0u) << text.substr(0, 200);
    const std::string trailer = reportTrailer();
    ASSERT_GT(text.size(), trailer.size());
    EXPECT_EQ(text.substr(text.size() - trailer.size()), trailer);
    EXPECT_EQ(filesLeft(), 0) << "report and keys-list files are gone";
    // The host's state is back at rest, as after a load in the window.
    EXPECT_EQ(host.collectorRunning.load(), 0u);
    EXPECT_EQ(host.resultReady.load(), 0);
}

TEST_F(HeadlessRun, HaltedRunHasAReasonAndLeavesNoWorkFile) {
    for (const char* kind : {"hkcc", "hkcu", "policies"}) {
        HeadlessHost host;
        host.halt();
        const std::string outcome = runHeadlessTask(host, *findTaskCommandByKind(kind));
        EXPECT_NE(outcome.find("halted"), std::string::npos) << kind << ": " << outcome;
        EXPECT_EQ(filesLeft(), 0) << kind;
        EXPECT_TRUE(host.halted());
    }
}

TEST_F(HeadlessRun, MessageOfTheTaskBecomesTheReasonAndQuestionsAreAnsweredNo) {
    HeadlessHost host;
    host.showMessage("first text", "First title");
    host.showMessage("second text", "Second title");
    EXPECT_EQ(host.failure(), "First title: first text");
    EXPECT_FALSE(host.askQuestion("Go on?", "Question"));
}

// A view whose memory runs out at the first text appended to it.
class ExhaustedView : public MemoryReportView {
  public:
    size_t append(std::string_view) override { throw std::bad_alloc(); }
};

TEST_F(HeadlessRun, TaskThatRunsOutOfMemoryFailsTheRun) {
    // These tasks end quietly when memory runs out; the view then holds a
    // part of the report, which must not be taken for the whole.
    for (const char* kind : {"apppaths", "services"}) {
        HeadlessHost host;
        ExhaustedView exhausted;
        host.view = &exhausted;
        const std::string outcome = runHeadlessTask(host, *findTaskCommandByKind(kind));
        EXPECT_NE(outcome.find("not enough memory"), std::string::npos) << kind << ": [" << outcome << "]";
        EXPECT_EQ(filesLeft(), 0) << kind;
    }
}

TEST_F(HeadlessRun, WorkFolderThatTakesNoFileEndsTheRunBeforeTheTaskStarts) {
    // As from the window: the folder is tried with the work file before the task runs.
    const std::string missing = work.file("no such folder\\");
    SetEnvironmentVariableA("TEMP", missing.c_str());
    SetEnvironmentVariableA("TMP", missing.c_str());
    for (const char* kind : {"hkcc", "policies", "ie"}) {
        HeadlessHost host;
        const std::string outcome = runHeadlessTask(host, *findTaskCommandByKind(kind));
        EXPECT_EQ(outcome.rfind("File Creation Error!: Unable to write the temporary file", 0), 0u)
            << kind << ": [" << outcome << "]";
        EXPECT_NE(outcome.find(missing), std::string::npos) << kind << ": [" << outcome << "]";
        EXPECT_EQ(host.collectorRunning.load(), 0u) << kind;
        EXPECT_EQ(host.collectorActive.load(), 0u) << kind;
        EXPECT_EQ(filesLeft(), 0) << kind;
    }
}

// What a run told of its progress; the walker's threads call it too.
class RecordedProgress : public ProgressSink {
  public:
    std::function<void(int row)> onRow;

    void task(std::string_view name) override {
        ScopedLock lock(guard_);
        tasks_.emplace_back(name);
    }
    void row(int row, int rows) override {
        {
            ScopedLock lock(guard_);
            rows_.emplace_back(row, rows);
        }
        if (onRow) onRow(row);
    }
    void keys(int count) override {
        int seen = mostKeys_.load();
        while (count > seen && !mostKeys_.compare_exchange_weak(seen, count)) {
        }
    }
    void step(std::string_view) override {}

    std::vector<std::string> tasks() {
        ScopedLock lock(guard_);
        return tasks_;
    }
    std::vector<std::pair<int, int>> rows() {
        ScopedLock lock(guard_);
        return rows_;
    }
    int mostKeys() const { return mostKeys_.load(); }

  private:
    CriticalSection guard_;
    std::vector<std::string> tasks_;
    std::vector<std::pair<int, int>> rows_;
    std::atomic<int> mostKeys_{0};
};

TEST_F(HeadlessRun, HiveDumpTellsItsHiveAndTheKeysItVisits) {
    HeadlessHost host;
    RecordedProgress progress;
    host.showProgressOn(&progress);
    EXPECT_EQ(runHeadlessTask(host, *findTaskCommandByKind("hkcu")), "");
    EXPECT_EQ(progress.tasks(), std::vector<std::string>{"HKEY_CURRENT_USER"});
    // Every key below the top level counts, not only the top-level names.
    EXPECT_GT(progress.mostKeys(), 20);
    EXPECT_TRUE(progress.rows().empty());
}

TEST_F(HeadlessRun, CommonReportTellsTheRowItIsAbout) {
    HeadlessHost host;
    RecordedProgress progress;
    // Halted as its first row begins: the row is told, and the run ends there.
    progress.onRow = [&host](int) { host.halt(); };
    host.showProgressOn(&progress);
    const std::string outcome = runHeadlessTask(host, *findTaskCommandByKind("common"));
    EXPECT_NE(outcome.find("halted"), std::string::npos) << outcome;
    EXPECT_EQ(progress.tasks(), std::vector<std::string>{"Common Windows Environment"});
    EXPECT_EQ(progress.rows(), (std::vector<std::pair<int, int>>{{1, 49}}));
    EXPECT_EQ(filesLeft(), 0);
}

TEST(ConsoleEventAction, HaltsOnItsOwnConsoleOnlyAndIgnoresAnotherUsersLogoff) {
    const std::pair<DWORD, ConsoleEventAction> cases[] = {
        {CTRL_C_EVENT, ConsoleEventAction::Halt},
        {CTRL_BREAK_EVENT, ConsoleEventAction::Halt},
        {CTRL_CLOSE_EVENT, ConsoleEventAction::HaltAndWait},
        {CTRL_SHUTDOWN_EVENT, ConsoleEventAction::HaltAndWait},
        {CTRL_LOGOFF_EVENT, ConsoleEventAction::Ignore},
        {7, ConsoleEventAction::Pass},
    };
    for (const auto& [event, action] : cases)
        EXPECT_EQ(consoleEventAction(event), action) << "event " << event;
}

TEST(MemoryReportView, HoldsExactlyWhatItWasGiven) {
    MemoryReportView view;
    view.setText("head\r\n");
    EXPECT_EQ(view.append("a\r\r\nb"), 11u);
    view.insertAtEnd("\r\n");
    EXPECT_EQ(view.text(), "head\r\na\r\r\nb\r\n");
    EXPECT_EQ(view.length(), 13u);
    view.setWholeText(std::string("x\0y", 3));
    EXPECT_EQ(view.text(), std::string("x\0y", 3));
}

} // namespace
