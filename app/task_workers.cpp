#include "task_workers.h"

#include "ie/ie_report.h"
#include "main_dialog.h"
#include "report/app_paths.h"
#include "services/services_report.h"
#include "task_results.h"
#include "window_context.h"

#include <memory>

DWORD WINAPI servicesWorker(void* parameter) {
    std::unique_ptr<ServicesWorkerBlock> block(static_cast<ServicesWorkerBlock*>(parameter));
    MainDialog& dialog = *block->dialog;
    try {
        WindowContext context(dialog);
        writeServicesReport(context, block->servicesKey);
    } catch (...) {
    }
    RegCloseKey(block->servicesKey);
    dialog.setStatus(" ");
    dialog.haltRequested = 0;
    dialog.servicesActive = 0;
    return 0;
}

DWORD WINAPI ieWorker(void* parameter) {
    std::unique_ptr<IeWorkerBlock> block(static_cast<IeWorkerBlock*>(parameter));
    MainDialog& dialog = *block->dialog;
    const std::string path = std::move(block->path);
    block.reset();
    bool completed = false;
    try {
        WindowContext context(dialog);
        completed = writeInternetExplorerReport(context);
    } catch (...) {
        // Memory ran out while the report was written.
        failIeTask(dialog, path);
        return 0;
    }
    finishIeTask(dialog, path, completed, dialog.loadEdges());
    return 0;
}

void runAppPathsTask(MainDialog& dialog) {
    try {
        WindowContext context(dialog);
        writeAppPathsReport(context);
    } catch (...) {
    }
    dialog.setStatus(" ");
    dialog.animateStatus = 0;
}
