#include "services_worker.h"

#include "app/main_dialog.h"

#include <memory>

DWORD WINAPI servicesWorker(void* parameter) {
    std::unique_ptr<ServicesWorkerBlock> block(static_cast<ServicesWorkerBlock*>(parameter));
    MainDialog& dialog = *block->dialog;
    try {
        // The services report itself is produced here once it exists; until
        // then the task ends at once, leaving its header in the view.
        RegCloseKey(block->servicesKey);
    } catch (...) {
    }
    dialog.setStatus(" ");
    dialog.haltRequested = 0;
    dialog.servicesActive = 0;
    return 0;
}
