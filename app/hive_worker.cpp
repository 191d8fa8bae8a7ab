#include "hive_worker.h"

#include "collect/windows_version.h"
#include "main_dialog.h"
#include "registry/hive_dump.h"
#include "report/work_file.h"
#include "task_results.h"
#include "window_context.h"
#include "worker_threads.h"

#include <memory>
#include <new>

namespace {

const char* const kNoMemoryTitle = "Dynamic Memory Allocation problem";

struct HiveBlock {
    MainDialog* dialog;
    HKEY root;
    const char* name;
    bool noFreeName; // all 1,000 candidate work-file names were in use
};

void setStatus(TaskHost& d, const char* text) {
    if (d.status != nullptr) d.status->setStatus(text);
}

// The names are forgotten with the files: they are drawn again, and a later
// Clear or Close must not delete a file another copy has made under one.
void deleteDumpFiles(ControllerState& d) {
    d.reportFile.close();
    DeleteFileA(d.reportPath.get().c_str());
    DeleteFileA(d.keysListPath.get().c_str());
    d.reportPath.clear();
    d.keysListPath.clear();
}

// A dump that ends without a result: both files gone, the halt answered, the
// user told when there is something to tell (after the files have gone; the
// task ends only once the box is closed: its own loop takes commands, which
// wait till then). The task's end goes last: the next task may start as soon
// as it is over.
void abandonDump(TaskHost& d, TaskLife::Ticket ticket, const char* message = nullptr,
                 const char* title = kNoMemoryTitle) {
    d.resultReady = 0;
    deleteDumpFiles(d);
    d.collectorRunning = 0;
    if (message != nullptr) d.showMessage(message, title);
    d.life.end(ticket);
}

void runDump(TaskHost& d, TaskLife::Ticket ticket, HKEY root, const std::string& hiveName, bool noFreeName) {
    d.collectorRunning = 1;
    if (noFreeName) {
        d.showMessage(results::kNoFreeName, results::kFileCreationTitle);
        setStatus(d, " ");
        d.view->setText("");
        d.collectorRunning = 0;
        d.life.end(ticket);
        return;
    }
    std::string scratch;
    const bool newer = describeWindowsVersion(scratch);
    WindowContext context(d);
    const HiveDumpOutcome outcome = dumpHive(context, root, d.keysListPath.get(), newer);
    switch (outcome) {
    case HiveDumpOutcome::NoMemory:
        abandonDump(d, ticket, "There is not enough memory to complete the operation");
        return;
    case HiveDumpOutcome::Halted:
        abandonDump(d, ticket);
        return;
    case HiveDumpOutcome::ListLost:
    case HiveDumpOutcome::Complete:
        break;
    }
    d.reportFile.close();
    if (outcome == HiveDumpOutcome::ListLost || d.reportFile.lostWritesTo(d.reportPath.get())) {
        // Keys or text are missing from the file: a dump with gaps must not
        // look like the whole hive.
        const std::string message = results::workFileFailureText(d.reportPath.get());
        setStatus(d, " ");
        d.view->setText("");
        abandonDump(d, ticket, message.c_str(), results::kFileCreationTitle);
        return;
    }
    d.resultHeader.set(hiveName + " Registry:\r\n");
    setStatus(d, "Working .. please Wait ");
    if (d.status != nullptr) d.status->repaint();
    d.resultReady = 1;
    d.collectorRunning = 0;
    // The result waits for the task driver's load from here on, unless a
    // Clear came first (the status text waits for the window's thread, so
    // one may have run meanwhile): then nothing of it may stay.
    if (!d.life.finishRun(ticket)) {
        setStatus(d, " ");
        abandonDump(d, ticket);
    }
}

DWORD WINAPI hiveWorker(void* parameter) {
    std::unique_ptr<HiveBlock> block(static_cast<HiveBlock*>(parameter));
    MainDialog& d = *block->dialog;
    const HKEY root = block->root;
    const bool noFreeName = block->noFreeName;
    const char* name = block->name;
    block.reset();
    runHiveDump(d, root, name, noFreeName);
    return 0;
}

} // namespace

void runHiveDump(TaskHost& d, HKEY root, const char* name, bool noFreeName) {
    const TaskLife::Ticket ticket = d.life.current();
    // Lowered before the dump can end its task: once it has, the next task owns the flag.
    d.animateStatus = 0;
    try {
        runDump(d, ticket, root, name, noFreeName);
    } catch (...) {
        try {
            deleteDumpFiles(d);
            setStatus(d, " ");
        } catch (...) {
            // The flags below come down all the same.
        }
        // Only memory can fail here: the dump ends without a result, the
        // halt it may have had is answered, and the user is told.
        d.resultReady = 0;
        d.collectorRunning = 0;
        d.showMessage("There is not enough memory to complete the operation", kNoMemoryTitle);
        d.life.end(ticket);
    }
}

bool nameHiveDumpFiles(ControllerState& d) {
    deleteDumpFiles(d);
    // The keys list is named after the report file: a name whose list an
    // earlier holder has not yet removed is not free either.
    const ClaimedName claimed = claimWorkFileName(workfile::kReport, "keys");
    // The last name drawn belongs to another copy: kept nowhere, so that no
    // Clear, Close or exit step of this copy ever deletes it.
    if (claimed.outcome == NameClaim::Taken) return true;
    try {
        d.reportPath.set(claimed.path);
        d.keysListPath.set(claimed.path + "keys");
    } catch (...) {
        if (claimed.created()) DeleteFileA(claimed.path.c_str());
        d.reportPath.clear();
        d.keysListPath.clear();
        throw;
    }
    return false;
}

void startHiveDump(MainDialog& d, HKEY root, const char* name) {
    const TaskLife::Ticket ticket = d.life.current();
    std::unique_ptr<HiveBlock> block(new (std::nothrow) HiveBlock{&d, root, name, false});
    if (block != nullptr) {
        // The files of an earlier task go, and this dump's are named, here on
        // the window's thread before the worker starts: a Clear from now on
        // writes its halt line into this dump's file, never into the previous
        // task's.
        try {
            block->noFreeName = nameHiveDumpFiles(d);
        } catch (const std::bad_alloc&) {
            block.reset();
        }
    }
    if (block != nullptr && !block->noFreeName && !createReportWorkFile(d, d.reportPath.get())) {
        // Still running while the box is up: the box's own loop runs ticks
        // and takes commands, which must wait. A Clear among them asked a
        // task to halt that never started: nobody else would lower that.
        const std::string path = d.reportPath.get();
        deleteDumpFiles(d);
        tellWorkFileFailure(d, path);
        d.collectorRunning = 0;
        d.life.end(ticket);
        return;
    }
    if (block == nullptr) {
        d.showMessage("There is not Enough memory to complete the operation", kNoMemoryTitle);
        d.setStatus(" ");
        d.reportView().setText("");
        d.collectorRunning = 0;
        d.life.end(ticket);
        return;
    }
    d.collectorRunning = 1;
    HANDLE thread = startWorkerThread(hiveWorker, block.get());
    if (thread == nullptr) {
        deleteDumpFiles(d);
        d.collectorRunning = 0;
        d.setStatus(" ");
        d.life.end(ticket);
        return;
    }
    block.release(); // the worker frees it
    HANDLE previous = d.workerThread.exchange(thread);
    if (previous != nullptr) CloseHandle(previous);
}
