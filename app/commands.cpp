// The task commands: the busy gate, the header, the status text and the
// request each one raises (or the worker it starts).
#include "main_dialog.h"

#include "report/work_file.h"
#include "resources/resource.h"
#include "task_commands.h"
#include "task_workers.h"
#include "worker_threads.h"

#include <memory>
#include <new>

void MainDialog::taskCommand(int id) {
    const TaskCommand* command = findTaskCommand(id);
    if (command == nullptr) return;

    // Refused while another task's life is not over, and once Close has run.
    if (life.start() == 0) {
        MessageBeep(MB_OK);
        return;
    }
    if (searchBarShown) hideSearchBar();
    noReportYet = 0;
    reportLength = 0;
    searchCopyLength = 0;
    if (command->animate >= 0) animateStatus = static_cast<uint8_t>(command->animate);
    if (command->header != nullptr) {
        taskHeader.set(command->header);
        view_.setText(command->header);
    }
    setStatus(command->status);

    switch (command->start) {
    case TaskStart::Collect:
    case TaskStart::Policies:
        policiesMode = command->start == TaskStart::Policies ? 1 : 0;
        collectRequested = 1;
        break;
    case TaskStart::Hive:
        hiveRequested[static_cast<size_t>(command->hive)] = 1;
        break;
    case TaskStart::AppPaths:
        // Each walk of a task counts in a walk state of its own: nothing of an
        // earlier walk is left to reset.
        appPathsRequested = 1;
        break;
    case TaskStart::Services:
        startServicesWorker();
        break;
    case TaskStart::InternetExplorer:
        startIeWorker();
        break;
    }
    if (command->start != TaskStart::AppPaths && command->start != TaskStart::InternetExplorer)
        resultReady = 0;
}

void MainDialog::startServicesWorker() {
    const TaskLife::Ticket ticket = life.current();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        // The header and the status text stay; no task runs.
        life.end(ticket);
        return;
    }
    auto* block = new (std::nothrow) ServicesWorkerBlock{this, key};
    if (block == nullptr) {
        RegCloseKey(key);
        // Ended after the box: its own loop runs ticks and takes commands, which wait till then.
        showMessage(results::kNoMemory, results::kNoMemoryTitle);
        setStatus(" ");
        view_.setText("");
        life.end(ticket);
        return;
    }
    life.run(ticket);
    HANDLE thread = startWorkerThread(servicesWorker, block);
    if (thread == nullptr) {
        RegCloseKey(key);
        delete block;
        setStatus(" ");
        life.end(ticket);
        return;
    }
    CloseHandle(thread);
}

void MainDialog::startIeWorker() {
    const TaskLife::Ticket ticket = life.current();
    UnstartedWorkFile file(*this);
    std::unique_ptr<IeWorkerBlock> block(new (std::nothrow) IeWorkerBlock{this, {}});
    if (block != nullptr) {
        // Named here, before anything can see the task running: a Clear from
        // now on writes its halt line into this task's file and deletes it.
        try {
            block->path = file.claimReport();
            if (block->path.empty()) {
                // Told already; no file was left.
                life.end(ticket);
                return;
            }
        } catch (const std::bad_alloc&) {
            block.reset();
        }
    }
    if (block == nullptr) {
        showMessage("EI, There is not enough memory to complete the operation", results::kNoMemoryTitle);
        setStatus(" ");
        view_.setText("");
        life.end(ticket);
        return;
    }
    ieRunning = 1;
    life.run(ticket);
    HANDLE thread = startWorkerThread(ieWorker, block.get());
    if (thread == nullptr) {
        ieRunning = 0;
        setStatus(" ");
        life.end(ticket);
        return;
    }
    file.keep();     // the worker deletes it
    block.release(); // the worker frees it
    CloseHandle(thread);
}
