#include "task_workers.h"

#include "ie/ie_report.h"
#include "main_dialog.h"
#include "report/app_paths.h"
#include "services/services_report.h"
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
    block.reset();
    try {
        WindowContext context(dialog);
        writeInternetExplorerReport(context);
    } catch (...) {
    }
    dialog.setStatus(" ");
    dialog.haltRequested = 0;
    dialog.ieRunning = 0;
    dialog.animateStatus = 0;
    return 0;
}

void runAppPathsTask(MainDialog& dialog) {
    // No worker flag goes up: the report is written straight into the view,
    // which starts from a single blank in place of the command's header.
    dialog.reportView().setText(" ");
    dialog.reportLength = 1;
    dialog.searchCopyLength = 0;
    try {
        WindowContext context(dialog);
        writeAppPathsReport(context);
    } catch (...) {
        // Memory ran out on the way: the view keeps what was written so far.
    }
    dialog.setStatus(" ");
    dialog.animateStatus = 0;
}
