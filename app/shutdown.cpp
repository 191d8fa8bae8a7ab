// Clear, Close and the exit steps that end the process.
#include "main_dialog.h"
#include "worker_threads.h"

#include "report/running_copies.h"
#include "report/system_api.h"
#include "report/work_file.h"
#include "resources/resource.h"

namespace {

// The size of a file, or `fallback` when it cannot be opened.
LONGLONG fileSizeOr(const std::string& path, LONGLONG fallback) {
    HANDLE h = openWorkFileToRead(path);
    if (h == INVALID_HANDLE_VALUE) return fallback;
    ULONGLONG size = 0;
    const LONGLONG result = sys::fileSize(h, size) ? static_cast<LONGLONG>(size) : fallback;
    CloseHandle(h);
    return result;
}

// The last chance for the files a halted task had to leave behind: the
// children that held them were ended a while ago.
constexpr DWORD kLeftFilesPatienceMs = 1000;

void deleteIfNamed(const std::string& path) {
    if (!path.empty()) DeleteFileA(path.c_str());
}

} // namespace

void MainDialog::withdrawPendingWork() {
    collectRequested = 0;
    appPathsRequested = 0;
    for (auto& hive : hiveRequested)
        hive = 0;
    resultReady = 0;
}

void MainDialog::clearCommand() {
    // Taken before the halt goes up: a worker that stops at once deletes its
    // file and forgets the name, and the halt line below could bring the
    // file back under a name nobody deletes any more.
    const std::string runningReport = reportPath.get();
    // A task nobody runs yet (a request waiting for its tick, a finished dump
    // waiting for its load) ends here; a running one is asked to stop, and
    // ends itself, its halt with it.
    if (life.halt()) {
        animateStatus = 0;
        reportPrintf(*this, "\n\nClear button activated. Sub process force halt!\n");
        Sleep(2000);
        if (isBusy()) Sleep(1000);
    }
    withdrawPendingWork();
    animateStatus = 0;
    if (searchBarShown) hideSearchBar();
    noReportYet = 1;
    reportLength = 0;
    searchCopyLength = 0;
    view_.setText("\r\n\r\n ");
    setStatus(" ");
    // A worker that has not stopped yet opens the file again with its next
    // line; its own halt path deletes it then.
    reportFile.close();
    deleteIfNamed(runningReport);
    deleteIfNamed(reportPath.get());
    // A dump that finished during the waits is never loaded now: its
    // keys-list file would otherwise stay behind.
    if (!collectorRunning) deleteIfNamed(keysListPath.get());
}

void MainDialog::waitForReportToSettle() {
    LONGLONG previous = 1;
    LONGLONG current = 0;
    for (int check = 0; check < 5; ++check) {
        current = fileSizeOr(reportPath.get(), current);
        if (current == previous) break;
        previous = current;
        Sleep(3000);
    }
}

void MainDialog::closeSequence() {
    setStatus("Shutdown .. please Wait");
    withdrawPendingWork();
    // From here on no command starts a task.
    if (life.close()) {
        animateStatus = 0;
        waitForReportToSettle();
    }
    if (searchBarShown) hideSearchBar();
    reportFile.close();
    deleteIfNamed(reportPath.get());
    closing = 1;
    SetTimer(hwnd(), 1, 1000, nullptr);
    releaseSearchCopy();
}

void MainDialog::exitStep() {
    const std::string keys = keysListPath.get();
    deleteIfNamed(keys);
    HANDLE h = keys.empty() ? INVALID_HANDLE_VALUE : openWorkFileToRead(keys);
    const bool keysGone = h == INVALID_HANDLE_VALUE;
    if (!keysGone) CloseHandle(h);
    // A halted worker may be between starting a command's interpreter and
    // ending it: the process ending under it would leave that child running
    // with nobody to end it. The worker stops within a tick or two; the tick
    // count bounds the wait for one that does not.
    if ((keysGone && workerThreadsRunning() == 0) || closingTicks_ > 10) {
        reportFile.close();
        deleteIfNamed(reportPath.get());
        removeLeftWorkFiles(kLeftFilesPatienceMs);
        runningcopies::countThisCopyOut();
        ExitProcess(0);
    }
    ++closingTicks_;
}

void MainDialog::onCancel() {
    // Escape ends the dialog at once; a running worker is asked to stop and
    // the process ends right after the dialog (see afterDialogEnded).
    life.close();
    endDialog(IDCANCEL);
}

void MainDialog::afterDialogEnded() {
    // The worker polls the halt flag between steps; give it a moment so its
    // files are complete and closed, then remove them. Whatever still runs
    // ends with the process.
    for (int i = 0; i < 30 && workerRunning(); ++i)
        Sleep(100);
    reportFile.close();
    deleteIfNamed(reportPath.get());
    deleteIfNamed(keysListPath.get());
    removeLeftWorkFiles(kLeftFilesPatienceMs);
}
