// The task driver: every tick of timer 1 turns raised requests into running
// tasks, loads finished hive dumps, runs the search steps and the exit steps.
#include "task_driver.h"

#include "collect/environment_collector.h"
#include "collect/windows_version.h"
#include "main_dialog.h"
#include "registry/registry_dumper.h"
#include "report/work_file.h"
#include "status_progress.h"
#include "task_workers.h"
#include "window_context.h"

#include <memory>
#include <new>
#include <vector>

namespace {

const char* const kNoMemory = "There is not enough memory to complete the operation";
const char* const kNoMemoryTitle = "Dynamic Memory Allocation problem";

uint8_t tickPhase = 0;
bool firstTickDone = false;
uint8_t loadWaitTicks = 0;

struct CollectorBlock {
    MainDialog* dialog;
    const char* text;
};

struct HiveEntry {
    HKEY root;
    const char* name;
};

const HiveEntry kHives[5] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                             {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                             {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                             {HKEY_USERS, "HKEY_USERS"},
                             {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}};

DWORD WINAPI collectorWorker(void* parameter) {
    auto* block = static_cast<CollectorBlock*>(parameter);
    MainDialog& d = *block->dialog;
    const std::string text = block->text;
    delete block;
    try {
        d.topLevelCount = 0;
        d.collectorRunning = 1;
        d.collectorActive = 1;
        const std::string path = makeWorkFileName(workfile::kReport);
        d.reportPath.set(path);
        d.collectorReportPath.set(path);

        if (text == "run()") {
            WindowContext context(d);
            const bool policies = d.policiesMode != 0;
            EnvironmentCollector(context, policies).run();
            if (policies) d.policiesMode = 0;
        }

        d.reportFile.close();
        if (d.haltRequested) {
            d.collectorRunning = 0;
            d.collectorActive = 0;
            // The halted report is never shown; nothing of it may stay behind.
            DeleteFileA(path.c_str());
            d.resetState();
            d.animateStatus = 0;
            d.setStatus("");
            return 0;
        }
        auto contents = std::make_unique<std::string>();
        if (!readWholeFile(path, *contents)) {
            MessageBoxA(d.hwnd(), kNoMemory, kNoMemoryTitle, MB_OK);
            d.setStatus(" ");
            d.reportView().setText("");
            DeleteFileA(path.c_str());
            d.resetState();
            d.animateStatus = 0;
            return 0;
        }
        const std::string shown = textUpToZero(*contents);
        contents.reset();
        d.reportView().setText(shown);
        d.reportLength = static_cast<int32_t>(shown.size());
        DeleteFileA(path.c_str());
        d.setStatus(" ");
        d.collectorRunning = 0;
        d.collectorActive = 0;
        d.animateStatus = 0;
    } catch (...) {
        d.reportFile.close();
        DeleteFileA(d.reportPath.get().c_str());
        d.collectorRunning = 0;
        d.collectorActive = 0;
        d.animateStatus = 0;
        d.setStatus(" ");
    }
    return 0;
}

}  // namespace

void MainDialog::tick() {
    // Appended text waits at most a little longer than its gathering time,
    // also when nobody appends after it.
    view_.flushIfDue();
    // A worker's report file grows at least once a second, also while the
    // worker waits for a child, so Close's settle check sees it write.
    reportFile.flushIfOlderThan();
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
        runAppPathsTask(*this);
    }

    for (size_t i = 0; i < 5; ++i) {
        if (!hiveRequested[i]) continue;
        // The worker's running flag goes up before the request comes down, so
        // there is no moment in which a second command could be accepted.
        collectorRunning = 1;
        hiveRequested[i] = 0;
        startHiveDump(*this, kHives[i].root, kHives[i].name);
        setStatus(" ");
    }

    if (closing) exitStep();

    if (resultReady) {
        ++loadWaitTicks;
        if (loadWaitTicks == 1) {
            HANDLE thread = workerThread.exchange(nullptr);
            if (thread != nullptr) CloseHandle(thread);
        }
        std::string scratch;
        if (describeWindowsVersion(scratch)) {
            loadHiveResult();
        } else if (loadWaitTicks > 40) {
            Sleep(4000);
            loadHiveResult();
        }
    }
}

void MainDialog::startCollectorWorker() {
    if (policiesMode == 1) {
        statusProgressFor(*this);
        view_.setText(driver::kPoliciesHeading);
    } else {
        view_.setText(driver::kCollectHeading);
    }
    reportLength = 0;
    searchCopyLength = 0;
    auto* block = new (std::nothrow) CollectorBlock{this, "run()"};
    if (block == nullptr) {
        collectRequested = 0;
        MessageBoxA(hwnd(), kNoMemory, kNoMemoryTitle, MB_OK);
        setStatus(" ");
        view_.setText("");
        return;
    }
    // Raised here, before the request is lowered, so that isBusy() never
    // sees a gap between the two.
    collectorRunning = 1;
    collectRequested = 0;
    HANDLE thread = CreateThread(nullptr, 0, collectorWorker, block, 0, nullptr);
    if (thread == nullptr) {
        delete block;
        collectorRunning = 0;
        setStatus(" ");
        view_.setText("");
        return;
    }
    CloseHandle(thread);
    taskHeader.clear();
}

void MainDialog::finishHiveLoad() {
    setStatus(" ");
    collectToKeysFile = 0;
    collectToList = 0;
    topLevelCount = 0;
    keysVisited = 0;
    collectorRunning = 0;
    haltRequested = 0;
    resultReady = 0;
    DeleteFileA(reportPath.get().c_str());
    DeleteFileA(keysListPath.get().c_str());
}

void MainDialog::loadHiveResult() {
    resultReady = 0;
    loadWaitTicks = 0;
    reportFile.close();
    const std::string path = reportPath.get();
    auto contents = std::make_unique<std::string>();
    if (!readWholeFile(path, *contents)) {
        const std::string title = path;
        MessageBoxA(hwnd(), "Error- > Can not read work file\n\nUnable to show result!!", title.c_str(), MB_OK);
        finishHiveLoad();
        return;
    }
    std::string text = composeHiveResult(resultHeader.get(), *contents);
    contents.reset();
    view_.setText(text);
    statusLine_.repaint();
    for (int attempt = 0; viewRefusedText(view_.length(), text.size()); ++attempt) {
        if (attempt == 17) {
            failureExit(path, keysListPath.get());
            return;
        }
        Sleep(1500);
        view_.setText(text);
    }
    reportLength = static_cast<int32_t>(view_.length());
    finishHiveLoad();
}

void MainDialog::failureExit(const std::string& reportFile, const std::string& keysFile) {
    InvalidateRect(nullptr, nullptr, TRUE);
    MessageBoxA(hwnd(), "There is NOT enough memory to complete the operation, Program exit!",
                "Dynamic Memory Allocation problem, Program exit!", MB_OK);
    std::string command = viewerCommandLine(reportFile);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    DeleteFileA(reportFile.c_str());
    DeleteFileA(keysFile.c_str());
    InvalidateRect(nullptr, nullptr, TRUE);
    ExitProcess(static_cast<UINT>(-1));
}
