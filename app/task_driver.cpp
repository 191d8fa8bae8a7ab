// The task driver: every tick of timer 1 turns raised requests into running
// tasks, loads finished hive dumps, runs the search steps and the exit steps.
#include "task_driver.h"

#include "collect/common_report.h"
#include "collect/environment_collector.h"
#include "collect/windows_version.h"
#include "failure_exit.h"
#include "hive_worker.h"
#include "main_dialog.h"
#include "report/running_copies.h"
#include "report/status_progress.h"
#include "report/work_file.h"
#include "task_commands.h"
#include "task_results.h"
#include "task_workers.h"
#include "window_context.h"
#include "worker_threads.h"

#include <iterator>
#include <memory>
#include <new>
#include <string_view>

namespace {

uint8_t tickPhase = 0;
bool firstTickDone = false;
LoadWait loadWait;

struct CollectorBlock {
    MainDialog* dialog;
    const char* text;
    std::string path;
};

DWORD WINAPI collectorWorker(void* parameter) {
    std::unique_ptr<CollectorBlock> block(static_cast<CollectorBlock*>(parameter));
    MainDialog& d = *block->dialog;
    // Named by the task driver before this thread started (see startCollectorWorker).
    const std::string path = std::move(block->path);
    const bool run = std::string_view(block->text) == "run()";
    block.reset();
    if (run) {
        runCollectorTask(d, path);
    } else {
        finishCollectorTask(d, path, d.loadEdges());
    }
    return 0;
}

} // namespace

void runCollectorTask(TaskHost& host, const std::string& path) {
    try {
        WindowContext context(host);
        const bool policies = host.policiesMode != 0;
        EnvironmentCollector collector(context, policies);
        collector.beforeRow = [&host](int row) {
            host.reportRowStarted(row, static_cast<int>(std::size(kCommonReportRows)));
        };
        collector.run();
        const bool sweep = collector.sweepDue();
        if (policies) host.policiesMode = 0;
        finishCollectorTask(host, path, host.loadEdges(), sweep);
    } catch (...) {
        // Memory ran out while the report was written.
        failCollectorTask(host, path, results::kNoMemoryCapital);
    }
}

void MainDialog::tick() {
    // Appended text waits at most a little longer than its gathering time,
    // also when nobody appends after it.
    view_.flushIfDue();
    // A worker's report file grows at least once a second, also while the
    // worker waits for a child, so Close's settle check sees it write.
    reportFile.flushIfOlderThan();
    // A child a halt ended may hold a work file a while after its task is
    // over; it goes as soon as the child lets go.
    removeLeftWorkFiles();
    dropSearchCopyIfForgotten();
    if (relayoutOnTick) {
        relayoutOnTick = 0;
        layoutControls();
    }

    if (animateStatus == 1 && tickPhase == 5) statusProgressFor(*this);
    if (tickPhase == 5) tickPhase = 0;
    ++tickPhase;

    if (searchRunPending) searchStepRun();
    if (searchRequested) searchStepPrepare();

    if (!firstTickDone) {
        firstTickDone = true;
        view_.setText(driver::kWelcome);
        reportLength = static_cast<int32_t>(std::char_traits<char>::length(driver::kWelcome));
        searchCopyLength = 0;
    }

    if (collectRequested) startCollectorWorker();

    if (appPathsRequested) {
        appPathsRequested = 0;
        if (life.run(life.current())) runAppPathsTask(*this);
    }

    for (size_t i = 0; i < 5; ++i) {
        if (!hiveRequested[i]) continue;
        hiveRequested[i] = 0;
        if (!life.run(life.current())) continue;
        collectorRunning = 1;
        startHiveDump(*this, hiveEntry(static_cast<int>(i)).root, hiveEntry(static_cast<int>(i)).name);
        setStatus(" ");
    }

    if (closing) exitStep();

    // A finished dump waits for its load; a halt in the meantime has ended it.
    if (life.phase() == TaskPhase::Finished) {
        std::string scratch;
        const bool newer = describeWindowsVersion(scratch);
        bool firstTick = false;
        const LoadStep step = hiveLoadStep(loadWait, life.current(), newer, firstTick);
        if (firstTick) {
            HANDLE thread = workerThread.exchange(nullptr);
            if (thread != nullptr) CloseHandle(thread);
        }
        if (step != LoadStep::Wait) {
            if (step == LoadStep::WaitThenLoad) Sleep(4000);
            loadHiveResult(*this, loadEdges());
        }
    }
}

LoadStep hiveLoadStep(LoadWait& wait, TaskLife::Ticket ticket, bool newerWindows, bool& firstTick) {
    if (wait.ticket != ticket) wait = LoadWait{ticket, 0};
    ++wait.ticks;
    firstTick = wait.ticks == 1;
    if (newerWindows) return LoadStep::Load;
    return wait.ticks > 40 ? LoadStep::WaitThenLoad : LoadStep::Wait;
}

void MainDialog::startCollectorWorker() {
    const TaskLife::Ticket ticket = life.current();
    if (!life.run(ticket)) {
        collectRequested = 0;
        return;
    }
    if (policiesMode == 1) {
        statusProgressFor(*this);
        view_.setText(driver::kPoliciesHeading);
    } else {
        view_.setText(driver::kCollectHeading);
    }
    reportLength = 0;
    searchCopyLength = 0;
    UnstartedWorkFile file(*this);
    std::unique_ptr<CollectorBlock> block(new (std::nothrow) CollectorBlock{this, "run()", {}});
    if (block != nullptr) {
        // The task's file is named here, on the window's thread, before
        // anything can see the task running: a Clear from now on writes its
        // halt line into this task's file and deletes that, never the
        // previous task's.
        try {
            // Lowered before any box: its own loop runs ticks, which must
            // not start the same request again.
            collectRequested = 0;
            block->path = file.claimReport();
            if (block->path.empty()) {
                // Told already; no file was left.
                life.end(ticket);
                return;
            }
            collectorReportPath.set(block->path);
        } catch (const std::bad_alloc&) {
            block.reset();
        }
    }
    if (block == nullptr) {
        collectRequested = 0;
        showMessage(results::kNoMemory, results::kNoMemoryTitle);
        setStatus(" ");
        view_.setText("");
        life.end(ticket);
        return;
    }
    collectorActive = 1;
    collectorRunning = 1;
    collectRequested = 0;
    HANDLE thread = startWorkerThread(collectorWorker, block.get());
    if (thread == nullptr) {
        collectorActive = 0;
        collectorRunning = 0;
        setStatus(" ");
        view_.setText("");
        life.end(ticket);
        return;
    }
    file.keep();     // the worker deletes it
    block.release(); // the worker frees it
    CloseHandle(thread);
    taskHeader.clear();
}

LoadEdges MainDialog::loadEdges() {
    LoadEdges edges;
    edges.sleep = [](unsigned milliseconds) { Sleep(milliseconds); };
    edges.show = [this](TaskLife::Ticket ticket, const std::string& text, bool endTask) {
        return showResultUnlessHalted(*this, ticket, text, endTask);
    };
    edges.failureExit = [this](const std::string& reportFile, const std::string& keysFile) {
        failureExit(reportFile, keysFile);
    };
    return edges;
}

void MainDialog::failureExit(const std::string& reportFile, const std::string& keysFile) noexcept {
    failureexit::handOverReport(
        reportFile, keysFile,
        failureexit::systemEdges([this](const char* text, const char* title) { showMessage(text, title); }));
    runningcopies::countThisCopyOut();
    ExitProcess(static_cast<UINT>(-1));
}
