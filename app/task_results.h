// How a finished task's report work file reaches the view, and what the user
// is told when it cannot. Everything runs against the controller state and
// the edges passed in (file reading, sleeping, the process's failure exit),
// so every failure path can be run without a window, a real shortage of
// memory or a process that ends.
#pragma once

#include "controller_state.h"
#include "report/work_file.h"

#include <functional>
#include <string>

namespace results {
inline constexpr const char* kNoMemory = "There is not enough memory to complete the operation";
// The collector's own wording when its buffers cannot be had.
inline constexpr const char* kNoMemoryCapital = "There is not Enough memory to complete the operation";
inline constexpr const char* kNoMemoryTitle = "Dynamic Memory Allocation problem";
inline constexpr const char* kCannotRead = "Error- > Can not read work file\n\nUnable to show result!!";
inline constexpr const char* kFileCreationTitle = "File Creation Error!";
// Every candidate name of a work file is taken (by other copies, or by files
// they left behind).
inline constexpr const char* kNoFreeName =
    "Unable to create temporary file. Make sure the disk is not full or write protected.";

// What the user is told when a task's work file cannot be created or lost
// text on its way to the disk: the folder is named, since it is the user's
// TEMP setting or disk that needs mending.
std::string workFileFailureText(const std::string& workFilePath);
} // namespace results

enum class ReadOutcome { Read, CannotOpen, NoMemory };

// Reads a report work file whole, telling a file that cannot be opened from a
// shortage of memory.
ReadOutcome readReportWorkFile(const std::string& path, std::string& out);

// The message the collector shows when its report cannot be loaded; nullptr
// when it was read.
const char* collectorLoadFailureText(ReadOutcome outcome);

// Puts the result of task `ticket` in place of the view unless that task was
// halted (or is no longer the current one); false when it was dropped. With
// `endTask`, the status line goes blank and the task ends in the same step, so
// a command pressed as soon as the result shows is taken.
bool showTaskResult(ControllerState& state, TaskLife::Ticket ticket, const std::string& text, bool endTask);

struct LoadEdges {
    std::function<ReadOutcome(const std::string& path, std::string& out)> read = readReportWorkFile;
    // showTaskResult where the view lives (the window's thread, where Clear
    // and Close run). Empty: under the task life's lock, on this thread.
    std::function<bool(TaskLife::Ticket ticket, const std::string& text, bool endTask)> show;
    std::function<void(unsigned milliseconds)> sleep;
    // Hands the report to the viewer and ends the process: it returns only
    // where a test stands in for it.
    std::function<void(const std::string& reportFile, const std::string& keysFile)> failureExit;
};

// The collector worker's end, once the collector has returned: the halt path,
// or the report work file into the view. Never throws: any failure takes the
// collector's failure path. `sweepStaleFiles`: before the load, the work files
// of earlier runs are swept (this report's own file is spared), so that the
// task is over, and the next command taken, as soon as the report is shown.
void finishCollectorTask(ControllerState& state, const std::string& path, const LoadEdges& edges,
                         bool sweepStaleFiles = false);

// The collector's failure path: the message, an empty view, the work file
// deleted and the task state reset (the window's own state is left alone).
void failCollectorTask(ControllerState& state, const std::string& path, const char* message,
                       const char* title = results::kNoMemoryTitle) noexcept;

// Creates a task's report work file as the task starts, so that a work
// directory that is missing or cannot be written is told at once, not after
// a whole report was written into nothing. False when it cannot be created.
bool createReportWorkFile(ControllerState& state, const std::string& path);
// Tells the user that the work file could not be written, naming its
// folder; the status line and the view go blank.
void tellWorkFileFailure(ControllerState& state, const std::string& path);

// A new report work file for a task about to start, made by `claim` (a new
// file of a freshly drawn name) and opened as createReportWorkFile does. The
// empty string when there is none: no free name, or a folder that takes no
// file; the user has been told, and no file is left behind. A name that is
// not the task's own (a file another copy holds) is never handed back.
std::string claimReportWorkFile(ControllerState& state, const std::function<ClaimedName()>& claim);
std::string claimReportWorkFile(ControllerState& state);

// A task's work file made before the task is under way: deleted, and the
// report's name forgotten, on every way out (a refusal, a thread that cannot
// be started, memory that runs out) unless the task takes it over (keep()).
class UnstartedWorkFile {
  public:
    explicit UnstartedWorkFile(ControllerState& state) : state_(state) {}
    ~UnstartedWorkFile();
    UnstartedWorkFile(const UnstartedWorkFile&) = delete;
    UnstartedWorkFile& operator=(const UnstartedWorkFile&) = delete;
    // The file to delete; set once it exists. `companion` goes with it.
    void made(std::string path, std::string companion = {}) noexcept;
    // Claims the task's report work file (the user is told when none can be
    // had), holds it and makes it the report's path. Empty when none was had.
    std::string claimReport();
    void keep() noexcept;

  private:
    ControllerState& state_;
    std::string path_;
    std::string companion_;
};

// The Internet Explorer worker's end, once its report has returned
// (`completed` false: it stopped at a halt). The halted report is deleted
// unseen; a finished one is shown with the report trailer unless a halt came
// while it was being loaded. Never throws:
// any failure takes the failure path (message, empty view, file deleted).
void finishIeTask(ControllerState& state, const std::string& path, bool completed,
                  const LoadEdges& edges) noexcept;

// The same failure path for a shortage of memory while the report was written.
void failIeTask(ControllerState& state, const std::string& path) noexcept;

// The task driver's load of a finished hive dump into the view. Never throws:
// a result the view cannot take (or memory runs out while composing it) takes
// the failure exit.
void loadHiveResult(ControllerState& state, const LoadEdges& edges) noexcept;
