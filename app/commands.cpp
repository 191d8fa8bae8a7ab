// The task commands: the busy gate, the header, the status text and the
// request each one raises (or the worker it starts).
#include "main_dialog.h"

#include "report/work_file.h"
#include "resources/resource.h"
#include "task_workers.h"

#include <memory>
#include <new>

namespace {

enum class Start { Collect, Policies, Hive, AppPaths, Services, InternetExplorer };

struct TaskCommand {
    int id;
    const char* header; // nullptr: the view stays until the task driver writes its heading
    const char* status;
    int animate; // -1: unchanged
    Start start;
    int hive; // index into hiveRequested for Start::Hive
};

constexpr TaskCommand kTaskCommands[] = {
    {IDC_COMMON_ENV, nullptr, "Working .. please Wait", -1, Start::Collect, 0},
    {IDC_POLICIES, "Getting policies ...........\r\n", "Working .. please Wait", 1, Start::Policies, 0},
    {IDC_HKCR, "Getting HKEY_CLASSES_ROOT Registry:\r\n", "Working .. please Wait", 0, Start::Hive, 0},
    {IDC_HKCU, "Getting HKEY_CURRENT_USER Registry:\r\n", "Working .. please Wait", 0, Start::Hive, 1},
    {IDC_HKLM, "Getting HKEY_LOCAL_MACHINE Registry:\r\n", "Working .. please Wait", 0, Start::Hive, 2},
    {IDC_HKU, "Getting HKEY_USERS Registry: \r\n", "Working .. please Wait", 0, Start::Hive, 3},
    {IDC_HKCC, "Getting HKEY_CURRENT_CONFIG Registry: \r\n", "Working .. please Wait", 0, Start::Hive, 4},
    {IDC_APP_PATHS, "Getting App Paths ...........\r\n", "Working .. please Wait", 1, Start::AppPaths, 0},
    {IDC_SERVICES, "Getting Services ...........\r\n", "Working .. please Wait ", 0, Start::Services, 0},
    {IDC_IE, "Getting IE information ...........\r\n", "Working .. please Wait ", 0, Start::InternetExplorer,
     0},
};

} // namespace

void MainDialog::taskCommand(int id) {
    const TaskCommand* command = nullptr;
    for (const auto& c : kTaskCommands)
        if (c.id == id) command = &c;
    if (command == nullptr) return;

    if (isBusy()) {
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
    case Start::Collect:
    case Start::Policies:
        policiesMode = command->start == Start::Policies ? 1 : 0;
        collectRequested = 1;
        break;
    case Start::Hive:
        hiveRequested[static_cast<size_t>(command->hive)] = 1;
        break;
    case Start::AppPaths:
        // Each walk of a task counts in a walk state of its own: nothing of an
        // earlier walk is left to reset.
        appPathsRequested = 1;
        break;
    case Start::Services:
        startServicesWorker();
        break;
    case Start::InternetExplorer:
        startIeWorker();
        break;
    }
    if (command->start != Start::AppPaths && command->start != Start::InternetExplorer) resultReady = 0;
}

void MainDialog::startServicesWorker() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    auto* block = new (std::nothrow) ServicesWorkerBlock{this, key};
    if (block == nullptr) {
        RegCloseKey(key);
        showMessage(results::kNoMemory, results::kNoMemoryTitle);
        setStatus(" ");
        view_.setText("");
        return;
    }
    servicesActive = 1;
    HANDLE thread = CreateThread(nullptr, 0, servicesWorker, block, 0, nullptr);
    if (thread == nullptr) {
        servicesActive = 0;
        RegCloseKey(key);
        delete block;
        setStatus(" ");
        return;
    }
    CloseHandle(thread);
}

void MainDialog::startIeWorker() {
    std::unique_ptr<IeWorkerBlock> block(new (std::nothrow) IeWorkerBlock{this, {}});
    if (block != nullptr) {
        // Named here, before anything can see the task running: a Clear from
        // now on writes its halt line into this task's file and deletes it.
        try {
            block->path = makeWorkFileName(workfile::kReport);
            reportPath.set(block->path);
        } catch (const std::bad_alloc&) {
            block.reset();
        }
    }
    if (block == nullptr) {
        showMessage("EI, There is not enough memory to complete the operation", results::kNoMemoryTitle);
        setStatus(" ");
        view_.setText("");
        return;
    }
    if (!createReportWorkFile(*this, block->path)) {
        reportPath.clear();
        tellWorkFileFailure(*this, block->path);
        return;
    }
    ieRunning = 1;
    HANDLE thread = CreateThread(nullptr, 0, ieWorker, block.get(), 0, nullptr);
    if (thread == nullptr) {
        ieRunning = 0;
        reportPath.clear();
        setStatus(" ");
        return;
    }
    block.release(); // the worker frees it
    CloseHandle(thread);
}
