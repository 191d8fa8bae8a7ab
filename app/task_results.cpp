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
void finishHiveLoad(ControllerState& s) noexcept {
    s.collectorRunning = 0;
    s.haltRequested = 0;
    s.resultReady = 0;
    try {
        setStatus(s, " ");
        DeleteFileA(s.reportPath.get().c_str());
        DeleteFileA(s.keysListPath.get().c_str());
    } catch (...) {
        // Only the tidying is lost; the exit steps delete the files again.
    }
}

// Puts the result into the view; a view that refuses it is given it again a
// few times. False when it never takes it.
bool showInView(ControllerState& s, const std::string& text, const LoadEdges& edges) {
    s.view->setWholeText(text);
    if (s.status != nullptr) s.status->repaint();
    for (int attempt = 0; viewRefusedText(s.view->length(), text.size()); ++attempt) {
        if (attempt == 17) return false;
        edges.sleep(1500);
        s.view->setWholeText(text);
    }
    return true;
}

} // namespace

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

void failIeTask(ControllerState& s, const std::string& path) noexcept {
    failTask(s, path, results::kNoMemoryCapital);
}

namespace {

// The finished report work file whole in the view, `tail` after it, and the
// file deleted; the read's outcome when it could not be had.
ReadOutcome showWorkFile(ControllerState& s, const std::string& path, const LoadEdges& edges,
                         std::string_view tail) {
    std::string text;
    const ReadOutcome outcome = edges.read(path, text);
    if (outcome != ReadOutcome::Read) return outcome;
    cutAtFirstZero(text);
    text += tail;
    s.view->setWholeText(text);
    s.reportLength = static_cast<int32_t>(text.size());
    std::string().swap(text);
    DeleteFileA(path.c_str());
    return outcome;
}

} // namespace

void finishIeTask(ControllerState& s, const std::string& path, bool completed,
                  const LoadEdges& edges) noexcept {
    try {
        s.reportFile.close();
        if (!completed || s.haltRequested) {
            // Stopped on its way: the report is never shown, and nothing of
            // it may stay behind in the work directory.
            DeleteFileA(path.c_str());
            setStatus(s, " ");
            s.resetTaskState();
            return;
        }
        if (failIfWritesLost(s, path)) return;
        const ReadOutcome outcome = showWorkFile(s, path, edges, reportTrailer());
        if (outcome != ReadOutcome::Read) {
            failTask(s, path, collectorLoadFailureText(outcome));
            return;
        }
        setStatus(s, " ");
        s.animateStatus = 0;
        s.haltRequested = 0;
        s.ieRunning = 0;
    } catch (...) {
        // Memory ran out on the way into the view.
        failTask(s, path, results::kNoMemoryCapital);
    }
}

void finishCollectorTask(ControllerState& s, const std::string& path, const LoadEdges& edges,
                         bool sweepStaleFiles) {
    try {
        s.reportFile.close();
        if (s.haltRequested) {
            // The halted report is never shown; nothing of it may stay behind.
            DeleteFileA(path.c_str());
            setStatus(s, "");
            s.collectorActive = 0;
            s.resetTaskState();
            return;
        }
        if (failIfWritesLost(s, path)) return;
        const ReadOutcome outcome = showWorkFile(s, path, edges, {});
        if (outcome != ReadOutcome::Read) {
            failCollectorTask(s, path, collectorLoadFailureText(outcome));
            return;
        }
        // The process count was taken a while ago: a copy started since has
        // work files of its own there too.
        if (sweepStaleFiles && !runningcopies::othersRunning()) startStaleWorkFileCleanup(workDirectory());
        setStatus(s, " ");
        s.animateStatus = 0;
        s.collectorActive = 0;
        s.collectorRunning = 0;
    } catch (...) {
        // Memory ran out on the way into the view: the same failure as a
        // read that could not get its buffer.
        failCollectorTask(s, path, results::kNoMemoryCapital);
    }
}

void loadHiveResult(ControllerState& s, const LoadEdges& edges) noexcept {
    enum class Load { Shown, Unreadable, Failed };
    Load load = Load::Failed;
    std::string path;
    std::string keys;
    s.resultReady = 0;
    try {
        s.reportFile.close();
        path = s.reportPath.get();
        keys = s.keysListPath.get();
        std::string contents;
        const ReadOutcome outcome = edges.read(path, contents);
        if (outcome == ReadOutcome::CannotOpen) {
            load = Load::Unreadable;
        } else if (outcome == ReadOutcome::Read) {
            // A large hive in a 32-bit process may not fit twice: the file's
            // bytes go as soon as the composed text holds them.
            std::string text = composeHiveResult(s.resultHeader.get(), contents);
            std::string().swap(contents);
            if (showInView(s, text, edges)) {
                s.reportLength = static_cast<int32_t>(s.view->length());
                load = Load::Shown;
            }
        }
    } catch (...) {
        load = Load::Failed;
    }
    switch (load) {
    case Load::Shown:
        finishHiveLoad(s);
        break;
    case Load::Unreadable:
        s.showMessage(results::kCannotRead, path.c_str());
        finishHiveLoad(s);
        break;
    case Load::Failed:
        edges.failureExit(path, keys);
        break;
    }
}
