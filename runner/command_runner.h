// Runs a command line, batch text or generated script hidden, with its output
// redirected into a work file, and delivers the cleaned output to the report
// or to the holder of that run.
#pragma once

#include "code_page.h"
#include "output_processing.h"

#include <optional>
#include <string>

class TaskContext;

// What a run is and where its output goes. Each run names its own mode: no
// run inherits another's.
enum class RunMode {
    Plain,                // a command line; output to the report
    JoinThree,            // a command line; output lines joined three to a report line
    EnvValue,             // batch text ending in a line that sets "env_olddir"; its value to the holder
    Script,               // a generated VBScript program; output to the report
    ScriptCountInstances, // a script listing processes; own-process lines counted in the holder
    ScriptCapture,        // a script; output to the holder's captured text
};

// What a run hands back besides the report ("%" doubled in both texts, so a
// caller may pass them to a printf-style writer as a format).
struct RunHolder {
    std::string envValue;     // replaced by an EnvValue run
    std::string captureText;  // appended to by a ScriptCapture run
    int ownInstanceCount = 0; // raised by a ScriptCountInstances run
};

class CommandRunner {
  public:
    virtual ~CommandRunner() = default;
    // 0: a file, the pipe or the process could not be made, or the run was
    // halted; 1: output delivered; 2: the probe saw at least two characters
    // (nothing delivered).
    virtual int run(const std::string& text, RunMode mode, bool probeOnly = false,
                    RunHolder* holder = nullptr) = 0;
};

// A path of the runner's own as a batch line names it: between quotation
// marks, each "%" doubled. The callers' command text is theirs to write.
std::string batchLinePath(const std::string& path);

// The runner of the product: a batch file (and a script file) in the work
// directory, run hidden through the command interpreter.
class ProcessRunner : public CommandRunner {
  public:
    // `shortPath` finds a folder's short name (tests stand in for volumes without them).
    explicit ProcessRunner(TaskContext& context, ShortPathLookup shortPath = systemShortPath)
        : context_(context), shortPath_(shortPath) {}
    int run(const std::string& text, RunMode mode, bool probeOnly = false,
            RunHolder* holder = nullptr) override;

    // The lines of the batch file for a run (paths quoted, as the batch line
    // names them: see batchFolder).
    static std::string batchText(RunMode mode, const std::string& text, const std::string& scriptPath,
                                 const std::string& outputPath);
    static RunnerModes modesOf(RunMode mode);

    // Microseconds spent so far with a child process running (from its start
    // to its end or its halt): what the runner waits for, as opposed to what
    // it does itself around it (files, output cleaning, delivery).
    unsigned long long childMicros() const { return childMicros_; }

  private:
    // The work folder as a batch line names it; nothing, and the report told
    // once, when no name reaches it.
    std::optional<std::string> batchFolder(const std::string& folder);

    TaskContext& context_;
    ShortPathLookup shortPath_;
    bool folderNoticeWritten_ = false;
    unsigned long long childMicros_ = 0;
};
