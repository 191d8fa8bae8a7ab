#include "task_results.h"

#include "report/report_writer.h"
#include "report/running_copies.h"
#include "report/work_directory.h"
#include "report/work_file.h"
#include "task_driver.h"

#include <windows.h>

namespace {

void setStatus(ControllerState& s, const char* text) {
    if (s.status != nullptr) s.status->setStatus(text);
}

void setView(ControllerState& s, const char* text) {
    if (s.view != nullptr) s.view->setText(text);
}

// The end of a hive load that keeps the program running.
void finishHiveLoad(ControllerState& s, TaskLife::Ticket ticket) noexcept {
    s.collectorRunning = 0;
    s.resultReady = 0;
    try {
        setStatus(s, " ");
        DeleteFileA(s.reportPath.get().c_str());
        DeleteFileA(s.keysListPath.get().c_str());
        // Names are drawn again: once deleted, a later Clear or Close must
        // not delete a file of the same name another copy has made since.
        s.reportPath.clear();
        s.keysListPath.clear();
    } catch (...) {
        // Only the tidying is lost; the exit steps delete the files again.
    }
    s.life.end(ticket);
}

bool showResult(ControllerState& s, TaskLife::Ticket ticket, const std::string& text, const LoadEdges& edges,
                bool endTask) {
    if (edges.show) return edges.show(ticket, text, endTask);
    ScopedLock lock(s.life.lock());
    return showTaskResult(s, ticket, text, endTask);
}

enum class Shown { Taken, Dropped, Refused };

// Puts the result into the view; a view that refuses it is given it again a
// few times.
Shown showInView(ControllerState& s, TaskLife::Ticket ticket, const std::string& text,
                 const LoadEdges& edges) {
    if (!showResult(s, ticket, text, edges, false)) return Shown::Dropped;
    if (s.status != nullptr) s.status->repaint();
    for (int attempt = 0; viewRefusedText(s.view->length(), text.size()); ++attempt) {
        if (attempt == 17) return Shown::Refused;
        edges.sleep(1500);
        if (!showResult(s, ticket, text, edges, false)) return Shown::Dropped;
    }
    return Shown::Taken;
}

} // namespace

bool showTaskResult(ControllerState& s, TaskLife::Ticket ticket, const std::string& text, bool endTask) {
    if (!s.life.mayShow(ticket)) return false;
    s.view->setWholeText(text);
    if (endTask) {
        s.reportLength = static_cast<int32_t>(text.size());
        setStatus(s, " ");
        s.life.end(ticket);
    }
    return true;
}

namespace results {

std::string workFileFailureText(const std::string& workFilePath) {
    const size_t slash = workFilePath.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? workFilePath : workFilePath.substr(0, slash + 1);
    return "Unable to write the temporary file of this report in the folder\n\n" + folder +
           "\n\nMake sure the folder exists, the disk is not full and not write protected "
           "(the folder is taken from TEMP or TMP where one is set).";
}

} // namespace results

ReadOutcome readReportWorkFile(const std::string& path, std::string& out) {
    if (readWholeFile(path, out)) return ReadOutcome::Read;
    // The reader answers false both for a file it cannot open and for a
    // shortage of memory; a file that opens was lost to the shortage.
    return fileCanBeRead(path) ? ReadOutcome::NoMemory : ReadOutcome::CannotOpen;
}

const char* collectorLoadFailureText(ReadOutcome outcome) {
    switch (outcome) {
    case ReadOutcome::Read:
        return nullptr;
    case ReadOutcome::CannotOpen:
        return results::kNoMemory;
    case ReadOutcome::NoMemory:
        return results::kNoMemoryCapital;
    }
    return nullptr;
}

namespace {

// A task's failure path: the message, an empty view, the work file deleted
// and the task state reset (the window's own state is left alone).
void failTask(ControllerState& s, const std::string& path, const char* message,
              const char* title = results::kNoMemoryTitle) noexcept {
    s.reportFile.close();
    try {
        s.showMessage(message, title);
        setStatus(s, " ");
        setView(s, "");
    } catch (...) {
        // The file and the state below are dealt with all the same: the next
        // command must be accepted.
    }
    DeleteFileA(path.c_str());
    s.resetTaskState();
}

} // namespace

void failCollectorTask(ControllerState& s, const std::string& path, const char* message,
                       const char* title) noexcept {
    s.collectorActive = 0;
    failTask(s, path, message, title);
}

namespace {

// A report whose file lost text: never shown, the user told which folder failed.
bool failIfWritesLost(ControllerState& s, const std::string& path) {
    if (!s.reportFile.lostWritesTo(path)) return false;
    const std::string message = results::workFileFailureText(path);
    s.collectorActive = 0;
    failTask(s, path, message.c_str(), results::kFileCreationTitle);
    return true;
}

} // namespace

bool createReportWorkFile(ControllerState& s, const std::string& path) {
    s.reportFile.forgetLossOf(path);
    return s.reportFile.append(path, {});
}

void tellWorkFileFailure(ControllerState& s, const std::string& path) {
    s.showMessage(results::workFileFailureText(path).c_str(), results::kFileCreationTitle);
    setStatus(s, " ");
    setView(s, "");
}

std::string claimReportWorkFile(ControllerState& s, const std::function<ClaimedName()>& claim) {
    const ClaimedName claimed = claim();
    switch (claimed.outcome) {
    case NameClaim::Taken:
        // The name handed back is another copy's file: never written, never deleted.
        s.showMessage(results::kNoFreeName, results::kFileCreationTitle);
        setStatus(s, " ");
        setView(s, "");
        return {};
    case NameClaim::Refused:
        tellWorkFileFailure(s, claimed.path);
        return {};
    case NameClaim::Created:
        break;
    }
    if (!createReportWorkFile(s, claimed.path)) {
        s.reportFile.close();
        DeleteFileA(claimed.path.c_str());
        tellWorkFileFailure(s, claimed.path);
        return {};
    }
    return claimed.path;
}

std::string claimReportWorkFile(ControllerState& s) {
    return claimReportWorkFile(s, [] { return claimWorkFileName(workfile::kReport); });
}

void UnstartedWorkFile::made(std::string path, std::string companion) noexcept {
    path_ = std::move(path);
    companion_ = std::move(companion);
}

std::string UnstartedWorkFile::claimReport() {
    std::string path = claimReportWorkFile(state_);
    if (path.empty()) return path;
    made(path);
    state_.reportPath.set(path);
    return path;
}

void UnstartedWorkFile::keep() noexcept {
    path_.clear();
    companion_.clear();
}

UnstartedWorkFile::~UnstartedWorkFile() {
    if (path_.empty()) return;
    state_.reportFile.close();
    DeleteFileA(path_.c_str());
    if (!companion_.empty()) DeleteFileA(companion_.c_str());
    // No task owns the names: a later Clear or Close must not delete a file
    // another copy makes under one of them.
    state_.reportPath.clear();
    state_.collectorReportPath.clear();
    if (!companion_.empty()) state_.keysListPath.clear();
}

void failIeTask(ControllerState& s, const std::string& path) noexcept {
    failTask(s, path, results::kNoMemoryCapital);
}

namespace {

// The finished report work file whole in the view, `tail` after it, the file
// deleted and the task ended in the same step as the show; the read's outcome
// when it could not be had. `dropped`: a halt came while it was loading, and
// the view was left as the halt left it.
ReadOutcome showWorkFile(ControllerState& s, TaskLife::Ticket ticket, const std::string& path,
                         const LoadEdges& edges, std::string_view tail, bool& dropped) {
    std::string text;
    const ReadOutcome outcome = edges.read(path, text);
    if (outcome != ReadOutcome::Read) return outcome;
    cutAtFirstZero(text);
    text += tail;
    DeleteFileA(path.c_str());
    // Names are drawn again: once deleted, a later Clear or Close must not
    // delete a file of the same name another copy has made since.
    s.reportPath.clear();
    s.collectorReportPath.clear();
    // The worker's own flags go down first: once shown, the task is over.
    s.animateStatus = 0;
    s.collectorActive = 0;
    s.collectorRunning = 0;
    s.ieRunning = 0;
    dropped = !showResult(s, ticket, text, edges, true);
    return outcome;
}

// A read that failed because Clear (or Close) deleted the file under it is
// no failure: the halted report is dropped like any other, and the view stays
// as the halt left it.
bool haltedDuringLoad(ControllerState& s, TaskLife::Ticket ticket, bool& dropped) {
    dropped = !s.life.mayShow(ticket);
    return dropped;
}

// Once Close has run, the status line is its "Shutdown" text till the end.
void setStatusUnlessClosed(ControllerState& s, const char* text) {
    if (!s.life.closed()) setStatus(s, text);
}

} // namespace

void finishIeTask(ControllerState& s, const std::string& path, bool completed,
                  const LoadEdges& edges) noexcept {
    const TaskLife::Ticket ticket = s.life.current();
    try {
        s.reportFile.close();
        bool dropped = !completed || !s.life.beginLoad(ticket);
        if (!dropped) {
            if (failIfWritesLost(s, path)) return;
            const ReadOutcome outcome = showWorkFile(s, ticket, path, edges, reportTrailer(), dropped);
            if (outcome != ReadOutcome::Read && !haltedDuringLoad(s, ticket, dropped)) {
                failTask(s, path, collectorLoadFailureText(outcome));
                return;
            }
        }
        if (dropped) {
            // Stopped on its way, or halted while it was loading: the report
            // is never shown, and nothing of it may stay behind.
            DeleteFileA(path.c_str());
            setStatusUnlessClosed(s, " ");
            s.resetTaskState();
        }
    } catch (...) {
        // Memory ran out on the way into the view.
        failTask(s, path, results::kNoMemoryCapital);
    }
}

void finishCollectorTask(ControllerState& s, const std::string& path, const LoadEdges& edges,
                         bool sweepStaleFiles) {
    const TaskLife::Ticket ticket = s.life.current();
    try {
        s.reportFile.close();
        bool dropped = !s.life.beginLoad(ticket);
        if (!dropped) {
            if (failIfWritesLost(s, path)) return;
            // Before the load, by exact name, sparing this report's own file:
            // once the report is shown the next command is taken at once, and
            // no file of the next task can exist yet. The process count was
            // taken a while ago: a copy started since has work files of its
            // own there too, so the count is asked again before every delete.
            if (sweepStaleFiles && !s.haltRequested && !runningcopies::othersRunning())
                sweepStaleWorkFiles(workDirectory(), {path},
                                    [&s] { return s.haltRequested != 0 || runningcopies::othersRunning(); });
            const ReadOutcome outcome = showWorkFile(s, ticket, path, edges, {}, dropped);
            if (outcome != ReadOutcome::Read && !haltedDuringLoad(s, ticket, dropped)) {
                failCollectorTask(s, path, collectorLoadFailureText(outcome));
                return;
            }
        }
        if (dropped) {
            // Halted, before or during the load: never shown, and nothing of
            // it may stay behind.
            DeleteFileA(path.c_str());
            setStatusUnlessClosed(s, "");
            s.collectorActive = 0;
            s.resetTaskState();
        }
    } catch (...) {
        // Memory ran out on the way into the view: the same failure as a
        // read that could not get its buffer.
        failCollectorTask(s, path, results::kNoMemoryCapital);
    }
}

void loadHiveResult(ControllerState& s, const LoadEdges& edges) noexcept {
    enum class Load { Shown, Dropped, Unreadable, Failed };
    Load load = Load::Failed;
    std::string path;
    std::string keys;
    const TaskLife::Ticket ticket = s.life.current();
    s.resultReady = 0;
    try {
        s.reportFile.close();
        path = s.reportPath.get();
        keys = s.keysListPath.get();
        std::string contents;
        if (!s.life.beginLoad(ticket)) {
            load = Load::Dropped;
        } else {
            const ReadOutcome outcome = edges.read(path, contents);
            if (outcome == ReadOutcome::CannotOpen) {
                load = Load::Unreadable;
            } else if (outcome == ReadOutcome::Read) {
                // A large hive in a 32-bit process may not fit twice: the file's
                // bytes go as soon as the composed text holds them.
                std::string text = composeHiveResult(s.resultHeader.get(), contents);
                std::string().swap(contents);
                switch (showInView(s, ticket, text, edges)) {
                case Shown::Taken:
                    s.reportLength = static_cast<int32_t>(s.view->length());
                    load = Load::Shown;
                    break;
                case Shown::Dropped:
                    load = Load::Dropped;
                    break;
                case Shown::Refused:
                    load = Load::Failed;
                    break;
                }
            }
        }
    } catch (...) {
        load = Load::Failed;
    }
    switch (load) {
    case Load::Shown:
    case Load::Dropped:
        finishHiveLoad(s, ticket);
        break;
    case Load::Unreadable:
        s.showMessage(results::kCannotRead, path.c_str());
        finishHiveLoad(s, ticket);
        break;
    case Load::Failed:
        edges.failureExit(path, keys);
        break;
    }
}
