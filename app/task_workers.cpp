#include "task_workers.h"

#include "collect/app_paths.h"
#include "ie/ie_report.h"
#include "main_dialog.h"
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
    explicit ServicesContext(TaskHost& host) : WindowContext(host), d_(host) {}
    ~ServicesContext() override { removeFile(); }

    bool beginReportFile() override {
        // A name that is not the task's own is never written to or deleted:
        // the task ends, told as a hive dump is.
        path_ = claimReportWorkFile(d_);
        if (path_.empty()) return false;
        d_.reportPath.set(path_);
        d_.servicesRunning = 1;
        return true;
    }

    FileShown showReportFile(std::string_view lead) override {
        d_.servicesRunning = 0;
        d_.reportFile.close();
        if (d_.reportFile.lostWritesTo(path_)) {
            // Shown, the dump would look whole with keys missing from it.
            const std::string message = results::workFileFailureText(path_);
            removeFile();
            d_.showMessage(message.c_str(), results::kFileCreationTitle);
            return FileShown::WritesLost;
        }
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
                if (d_.showWholeUnlessHalted(text)) d_.reportLength = static_cast<int32_t>(text.size());
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
        // Names are drawn again: a later Clear or Close must not delete a
        // file of this name another copy has made since.
        if (d_.reportPath.get() == path_) d_.reportPath.clear();
        path_.clear();
    }

    TaskHost& d_;
    std::string path_;
};

} // namespace

void runServicesTask(TaskHost& host, HKEY servicesKey) {
    const TaskLife::Ticket ticket = host.life.current();
    try {
        // Destroyed before the flags come down: its work file never outlives the task.
        ServicesContext context(host);
        writeServicesReport(context, servicesKey);
    } catch (...) {
        // Memory ran out on the way: what was written is lost, the task ends.
        host.taskFailed = 1;
    }
    host.servicesRunning = 0;
    RegCloseKey(servicesKey);
    if (host.status != nullptr) host.status->setStatus(" ");
    host.animateStatus = 0;
    // Last: from here on the window accepts the next command.
    host.life.end(ticket);
}

void runIeTask(TaskHost& host, const std::string& path) {
    bool completed = false;
    try {
        WindowContext context(host);
        completed = writeInternetExplorerReport(context);
    } catch (...) {
        // Memory ran out while the report was written.
        failIeTask(host, path);
        return;
    }
    finishIeTask(host, path, completed, host.loadEdges());
}

DWORD WINAPI servicesWorker(void* parameter) {
    std::unique_ptr<ServicesWorkerBlock> block(static_cast<ServicesWorkerBlock*>(parameter));
    MainDialog& dialog = *block->dialog;
    const HKEY key = block->servicesKey;
    block.reset();
    runServicesTask(dialog, key);
    return 0;
}

DWORD WINAPI ieWorker(void* parameter) {
    std::unique_ptr<IeWorkerBlock> block(static_cast<IeWorkerBlock*>(parameter));
    MainDialog& dialog = *block->dialog;
    const std::string path = std::move(block->path);
    block.reset();
    runIeTask(dialog, path);
    return 0;
}

void runAppPathsTask(TaskHost& host) {
    const TaskLife::Ticket ticket = host.life.current();
    // No worker flag goes up: the report is written straight into the view,
    // which starts from a single blank in place of the command's header.
    host.view->setText(" ");
    host.reportLength = 1;
    host.searchCopyLength = 0;
    try {
        WindowContext context(host);
        writeAppPathsReport(context);
    } catch (...) {
        // Memory ran out on the way: the view keeps what was written so far.
        host.taskFailed = 1;
    }
    if (host.status != nullptr) host.status->setStatus(" ");
    host.animateStatus = 0;
    host.life.end(ticket);
}
