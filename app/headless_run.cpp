#include "headless_run.h"

#include "command_line.h"
#include "command_line_progress.h"
#include "console_streams.h"
#include "hive_worker.h"
#include "report/work_file.h"
#include "report_target.h"
#include "resources/resource.h"
#include "task_commands.h"
#include "task_driver.h"
#include "task_results.h"
#include "task_workers.h"
#include "window_context.h"

#include "redact/system_values.h"

#include <new>

std::string MemoryReportView::text() const {
    ScopedLock lock(guard_);
    return text_;
}

void MemoryReportView::setText(std::string_view text) {
    ScopedLock lock(guard_);
    text_.assign(text);
}

size_t MemoryReportView::length() const {
    ScopedLock lock(guard_);
    return text_.size();
}

size_t MemoryReportView::append(std::string_view text) {
    ScopedLock lock(guard_);
    text_.append(text);
    return text_.size();
}

void MemoryReportView::insertAtEnd(std::string_view text) {
    append(text);
}

void HeadlessHost::Messages::show(const char* text, const char* title) {
    ScopedLock lock(guard_);
    if (first_.empty()) first_ = std::string(title) + ": " + text;
}

std::string HeadlessHost::Messages::first() const {
    ScopedLock lock(guard_);
    return first_;
}

HeadlessHost::HeadlessHost() {
    view = &view_;
    status = &status_;
    messages = &messages_;
}

HeadlessHost::~HeadlessHost() {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
}

bool HeadlessHost::showWholeUnlessHalted(const std::string& text) {
    if (haltRequested) return false;
    view_.setWholeText(text);
    return true;
}

namespace {

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

HWND HeadlessHost::measuringDialog() {
    // Text that is aligned by its drawn width (the drive attribute tables) is
    // measured in the window's own view with the window's own font, so the
    // window's dialog is made once, never shown, just for that.
    if (!dialogTried_) {
        dialogTried_ = true;
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr,
                                     quietDialog, 0);
    }
    return dialog_;
}

HWND HeadlessHost::measuredView() {
    HWND dialog = measuringDialog();
    return dialog != nullptr ? GetDlgItem(dialog, IDC_REPORT_VIEW) : nullptr;
}

HWND HeadlessHost::fontOwner() {
    return measuringDialog();
}

LoadEdges HeadlessHost::loadEdges() {
    LoadEdges edges;
    edges.sleep = [](unsigned milliseconds) { Sleep(milliseconds); };
    // The window hands a report it cannot show to the text viewer and ends;
    // here there is no view to refuse it, so this only follows a shortage of
    // memory, which fails the run.
    edges.failureExit = [this](const std::string& reportFile, const std::string& keysFile) {
        DeleteFileA(reportFile.c_str());
        DeleteFileA(keysFile.c_str());
        showMessage("There is not enough memory to complete the operation",
                    "Dynamic Memory Allocation problem");
    };
    return edges;
}

void HeadlessHost::reportRowStarted(int row, int rows) {
    if (ProgressSink* sink = progress_.load()) sink->row(row, rows);
}

void HeadlessHost::keysVisited(int count) {
    if (ProgressSink* sink = progress_.load()) sink->keys(count);
}

void HeadlessHost::halt() {
    halted_ = 1;
    animateStatus = 0;
    life.halt();
}

std::string HeadlessHost::failure() const {
    return messages_.first();
}

namespace {

const char* const kHaltedReason = "the report was halted (Ctrl+C, or its console closed)";

// The task as the progress line names it.
std::string progressTitle(const TaskCommand& command) {
    switch (command.start) {
    case TaskStart::Collect:
        return "Common Windows Environment";
    case TaskStart::Policies:
        return "Policies";
    case TaskStart::Hive:
        return hiveEntry(command.hive).name;
    case TaskStart::AppPaths:
        return "App Paths";
    case TaskStart::Services:
        return "Services";
    case TaskStart::InternetExplorer:
        return "Internet Explorer";
    }
    return {};
}

// The start a button gives its task, before the task driver takes it up.
void beginAsTheCommand(HeadlessHost& host, const TaskCommand& command) {
    host.taskFailed = 0;
    host.noReportYet = 0;
    host.reportLength = 0;
    host.searchCopyLength = 0;
    if (command.animate >= 0) host.animateStatus = static_cast<uint8_t>(command.animate);
    if (command.header != nullptr) {
        host.taskHeader.set(command.header);
        host.view->setText(command.header);
    }
}

// A report work file made for a worker task, as the task driver and the
// Internet Explorer command make theirs; empty (the user told) when none.
std::string nameReportFile(HeadlessHost& host) {
    std::string path = claimReportWorkFile(host);
    if (!path.empty()) host.reportPath.set(path);
    return path;
}

// The work file is made before the task starts, as the window makes it: a
// folder that cannot take it ends the run at once, not after the whole report.
bool makeReportFile(HeadlessHost& host, const std::string& path) {
    if (createReportWorkFile(host, path)) return true;
    host.reportFile.close();
    DeleteFileA(path.c_str());
    host.reportPath.clear();
    host.collectorReportPath.clear();
    tellWorkFileFailure(host, path);
    return false;
}

std::string runCollector(HeadlessHost& host, bool policies) {
    host.view->setText(policies ? driver::kPoliciesHeading : driver::kCollectHeading);
    host.policiesMode = policies ? 1 : 0;
    const std::string path = nameReportFile(host);
    if (path.empty()) return {};
    host.collectorReportPath.set(path);
    host.collectorActive = 1;
    host.collectorRunning = 1;
    // The collector writes its own heading; a command's header would be shown
    // as the walker's live text (the window drops it as its worker starts).
    host.taskHeader.clear();
    runCollectorTask(host, path);
    host.reportFile.close();
    DeleteFileA(path.c_str());
    return {};
}

std::string runHive(HeadlessHost& host, int index) {
    const HiveEntry& hive = hiveEntry(index);
    const bool noFreeName = nameHiveDumpFiles(host);
    const std::string report = host.reportPath.get();
    const std::string keys = host.keysListPath.get();
    // With no free name the dump itself tells of it, as in the window.
    if (!noFreeName && !makeReportFile(host, report)) return {};
    host.resultReady = 0;
    host.collectorRunning = 1;
    runHiveDump(host, hive.root, hive.name, noFreeName);
    std::string outcome;
    if (host.resultReady) {
        loadHiveResult(host, host.loadEdges());
    } else if (!host.halted()) {
        outcome = "the dump of " + std::string(hive.name) + " ended without a result";
    }
    host.reportFile.close();
    DeleteFileA(report.c_str());
    DeleteFileA(keys.c_str());
    return outcome;
}

std::string runServices(HeadlessHost& host) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "the services key cannot be opened";
    runServicesTask(host, key);
    return {};
}

std::string runInternetExplorer(HeadlessHost& host) {
    const std::string path = nameReportFile(host);
    if (path.empty()) return {};
    host.ieRunning = 1;
    runIeTask(host, path);
    host.reportFile.close();
    DeleteFileA(path.c_str());
    return {};
}

} // namespace

ConsoleEventAction consoleEventAction(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return ConsoleEventAction::Halt;
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return ConsoleEventAction::HaltAndWait;
    case CTRL_LOGOFF_EVENT:
        // Sent to a process of a service or a remote shell whenever any user
        // logs off, not only the one it runs for: it goes on. Handled, so that
        // the system's own handler does not end the process either.
        return ConsoleEventAction::Ignore;
    default:
        return ConsoleEventAction::Pass;
    }
}

namespace {

// The host whose task a console event halts; null between runs.
std::atomic<HeadlessHost*> haltableHost{nullptr};
// Set once the halted task has removed its files.
HANDLE runEnded = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    HeadlessHost* host = haltableHost.load();
    if (host == nullptr) return FALSE;
    switch (consoleEventAction(event)) {
    case ConsoleEventAction::Pass:
        return FALSE;
    case ConsoleEventAction::Ignore:
        return TRUE;
    case ConsoleEventAction::Halt:
        host->halt();
        return TRUE;
    case ConsoleEventAction::HaltAndWait:
        host->halt();
        // The process ends as soon as this returns: it waits, a little less
        // than the system grants, for the run to take its files away.
        if (runEnded != nullptr) WaitForSingleObject(runEnded, 4500);
        return TRUE;
    }
    return FALSE;
}

// Halts the task on Ctrl+C, Ctrl+Break and the end of the console, for the
// lifetime of the run.
class ConsoleHalt {
  public:
    explicit ConsoleHalt(HeadlessHost& host) {
        runEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        haltableHost = &host;
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    }
    ~ConsoleHalt() {
        SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        haltableHost = nullptr;
    }
    // The files are gone: a waiting console-close event may let the process end.
    void ended() {
        if (runEnded != nullptr) SetEvent(runEnded);
    }
    ConsoleHalt(const ConsoleHalt&) = delete;
    ConsoleHalt& operator=(const ConsoleHalt&) = delete;
};

// The host tells the progress line of its task for the length of the run;
// the host outlives the line.
class ShownProgress {
  public:
    ShownProgress(HeadlessHost& host, ProgressSink& sink) : host_(host) { host_.showProgressOn(&sink); }
    ~ShownProgress() { host_.showProgressOn(nullptr); }
    ShownProgress(const ShownProgress&) = delete;
    ShownProgress& operator=(const ShownProgress&) = delete;

  private:
    HeadlessHost& host_;
};

} // namespace

std::string runHeadlessTask(HeadlessHost& host, const TaskCommand& command) {
    // The task is taken up at once, on this thread: there is no tick to wait for.
    const TaskLife::Ticket ticket = host.life.start();
    if (ticket == 0) return "another report is running";
    if (!host.life.run(ticket)) return kHaltedReason;
    if (ProgressSink* sink = host.progress()) sink->task(progressTitle(command));
    beginAsTheCommand(host, command);
    std::string outcome;
    try {
        switch (command.start) {
        case TaskStart::Collect:
        case TaskStart::Policies:
            outcome = runCollector(host, command.start == TaskStart::Policies);
            break;
        case TaskStart::Hive:
            outcome = runHive(host, command.hive);
            break;
        case TaskStart::AppPaths:
            runAppPathsTask(host);
            break;
        case TaskStart::Services:
            outcome = runServices(host);
            break;
        case TaskStart::InternetExplorer:
            outcome = runInternetExplorer(host);
            break;
        }
    } catch (const std::bad_alloc&) {
        outcome = "there is not enough memory to complete the report";
    }
    // A task that could not be started has no end of its own.
    host.life.end(ticket);
    if (host.halted()) return kHaltedReason;
    if (host.taskFailed) return "there is not enough memory to complete the report";
    const std::string told = host.failure();
    if (!told.empty()) return told;
    return outcome;
}

namespace {

// Replaces the identifying values in the finished `report`, read by this
// machine's readers; the reason when that cannot be done. A halt while the
// values are read may have cut them short: the run then fails rather than
// write a half-redacted report.
std::string redactReport(HeadlessHost& host, std::string& report) {
    try {
        WindowContext context(host);
        const IdentifyingValues values = systemIdentifyingValues(context);
        if (host.halted()) return kHaltedReason;
        report = redact(report, values).text;
        return {};
    } catch (const std::bad_alloc&) {
        return "there is not enough memory to redact the report";
    } catch (...) {
        // Never the report unredacted, and never a run ended without its reason.
        return "the report could not be redacted";
    }
}

} // namespace

int runReportFromCommandLine(const CommandLine& line, ConsoleStreams& console) {
    ReportTarget target(line.file);
    if (!target.ready()) {
        console.errorLine(target.reason());
        return exitcode::kFailed;
    }
    // Lives until the process ends: a console event may still be looking at it.
    static HeadlessHost host;
    // Blanked out before the reason of a failure is written.
    CommandLineProgress progress(console, line.quiet);
    ShownProgress shown(host, progress.sink());
    // Held until the file is settled: a Ctrl+C during the commit is then only
    // a halt that comes too late, and the end of the console waits for the
    // temporary file to be either in the file's place or gone.
    ConsoleHalt halt(host);
    std::string failure = runHeadlessTask(host, *line.command);
    if (failure.empty() && host.halted()) failure = kHaltedReason;
    std::string report;
    if (failure.empty()) {
        report = host.viewText();
        if (line.redact) {
            // Reading the values takes a moment (a WMI script among them): the
            // line moves on from the report's last row.
            progress.sink().task("Redacting the report");
            failure = redactReport(host, report);
        }
    }
    if (!failure.empty()) {
        target.discard();
        halt.ended();
        console.errorLine(failure);
        return exitcode::kFailed;
    }
    const bool committed = target.commit(report);
    halt.ended();
    if (!committed) {
        console.errorLine(target.reason());
        return exitcode::kFailed;
    }
    return exitcode::kComplete;
}
