#include "ie_worker.h"

#include "app/main_dialog.h"

#include <memory>

DWORD WINAPI ieWorker(void* parameter) {
    std::unique_ptr<IeWorkerBlock> block(static_cast<IeWorkerBlock*>(parameter));
    MainDialog& dialog = *block->dialog;
    block.reset();
    // The Internet Explorer report is written here once it exists.
    dialog.setStatus(" ");
    dialog.haltRequested = 0;
    dialog.ieRunning = 0;
    dialog.animateStatus = 0;
    return 0;
}
