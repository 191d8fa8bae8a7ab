#include "task_workers.h"

#include "ie/ie_report.h"
#include "main_dialog.h"
#include "report/app_paths.h"
#include "report/work_file.h"
#include "services/services_report.h"
#include "task_driver.h"
#include "task_results.h"
#include "window_context.h"

#include <memory>
#include <new>
#include <string>

namespace {

// The Services task's side of the report: its registry part is written to a
// report work file while servicesRunning is up, then shown whole.
class ServicesContext : public WindowContext {
  public:
    explicit ServicesContext(MainDialog& dialog) : WindowContext(dialog), d_(dialog) {}
    ~ServicesContext() override { removeFile(); }

    void beginReportFile() override {
        path_ = makeWorkFileName(workfile::kReport);
        d_.reportPath.set(path_);
        d_.servicesRunning = 1;
    }

    FileShown showReportFile(std::string_view lead) override {
        d_.servicesRunning = 0;
        d_.reportFile.close();
        FileShown shown = FileShown::NoMemory;
        try {
            std::string contents;
            const ReadOutcome outcome = readReportWorkFile(path_, contents);
            if (outcome == ReadOutcome::CannotOpen) {
                shown = FileShown::CannotOpen;
            } else if (outcome == ReadOutcome::Read) {
                cutAtFirstZero(contents);
                std::string text(lead);
                text += contents;
                std::string().swap(contents);
                if (showUnlessHalted(d_, text)) d_.reportLength = static_cast<int32_t>(text.size());
                shown = FileShown::Shown;
            }
        } catch (const std::bad_alloc&) {
            shown = FileShown::NoMemory;
        }
        removeFile();
        return shown;
    }

    void dropReportFile() override {
        d_.servicesRunning = 0;
        removeFile();
    }

  private:
    void removeFile() {
        if (path_.empty()) return;
        d_.reportFile.close();
        DeleteFileA(path_.c_str());
        path_.clear();
    }

    MainDialog& d_;
    std::string path_;
};

} // namespace

DWORD WINAPI servicesWorker(void* parameter) {
    std::unique_ptr<ServicesWorkerBlock> block(static_cast<ServicesWorkerBlock*>(parameter));
    MainDialog& dialog = *block->dialog;
    try {
        // Destroyed before the flags come down: its work file never outlives the task.
        ServicesContext context(dialog);
        writeServicesReport(context, block->servicesKey);
    } catch (...) {
        // Memory ran out on the way: what was written is lost, the task ends.
    }
    dialog.servicesRunning = 0;
    RegCloseKey(block->servicesKey);
    dialog.setStatus(" ");
    dialog.animateStatus = 0;
    dialog.haltRequested = 0;
    // Last: from here on the window accepts the next command.
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
