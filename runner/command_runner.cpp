#include "command_runner.h"

#include "child_start.h"
#include "code_page.h"
#include "output_processing.h"
#include "report/system_api.h"
#include "report/task_context.h"
#include "report/text_format.h"
#include "report/work_directory.h"
#include "report/work_file.h"
#include "script_buffer.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <utility>

namespace {

// Owns a kernel handle.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    HANDLE* out() {
        reset();
        return &h_;
    }
    void reset() {
        if (h_ != nullptr) CloseHandle(h_);
        h_ = nullptr;
    }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    HANDLE h_ = nullptr;
};

// Written as a text-mode stream would: every "\n" reaches the disk as CR LF.
bool writeTextFile(const std::string& path, const std::string& text) {
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const std::string bytes = expandLineFeeds(text);
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

struct WorkFiles {
    std::string output, batch, script;
    // Set by a halt: the children it ended may still hold their files. A run
    // that ended by itself is not waited for (a helper it left running may
    // hold the output file for good).
    DWORD patienceMs = 0;
    ~WorkFiles() { removeWorkFiles({&output, &batch, &script}, patienceMs); }
};

// Adds the time from its making to stop() (or to its end, on the early ways
// out) to a total of microseconds.
class ChildClock {
  public:
    explicit ChildClock(unsigned long long& total) : total_(total) { QueryPerformanceCounter(&start_); }
    ~ChildClock() { stop(); }
    ChildClock(const ChildClock&) = delete;
    ChildClock& operator=(const ChildClock&) = delete;
    void stop() {
        if (stopped_) return;
        stopped_ = true;
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
            total_ += static_cast<unsigned long long>(now.QuadPart - start_.QuadPart) * 1000000ULL /
                      static_cast<unsigned long long>(frequency.QuadPart);
    }

  private:
    unsigned long long& total_;
    LARGE_INTEGER start_{};
    bool stopped_ = false;
};

// The interpreter by its full path, in the system folder (see child_start.h),
// suspended until it has joined the run's job. A console of its own (hidden)
// when this process has one: a run from a command line is attached to the
// user's console, whose code page, size and title the children would
// otherwise see and change; in the window they get a fresh one anyway.
bool startInterpreter(const std::string& batch, STARTUPINFOA& si, bool intoJob, PROCESS_INFORMATION& pi) {
    const childstart::Interpreter interpreter = childstart::systemInterpreter();
    if (interpreter.program.empty()) return false;
    std::string commandLine = childstart::batchCommandLine(interpreter, batch);
    const auto create = [&](DWORD flags) -> DWORD {
        if (CreateProcessA(interpreter.program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                           nullptr, interpreter.folder.empty() ? nullptr : interpreter.folder.c_str(), &si,
                           &pi))
            return 0;
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_GEN_FAILURE;
    };
    // Out of an enclosing job only where there is a job of ours to join.
    return childstart::createPreferringBreakaway(CREATE_SUSPENDED | sys::childConsoleFlag(), intoJob,
                                                 create) == 0;
}

// The run's files, each made new as its name is drawn from one sequence
// seeded with the time in seconds: a copy of the program that draws the same
// numbers in the same second finds them made and draws again.
bool claimRunnerFiles(WorkFiles& files, const std::string& dir, bool script) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    auto random = [] { return std::rand(); };
    const std::pair<std::string*, const char*> wanted[] = {
        {&files.output, workfile::kRunnerOutput},
        {&files.batch, workfile::kRunnerBatch},
        {&files.script, script ? workfile::kRunnerScript : nullptr},
    };
    for (const auto& [path, pattern] : wanted) {
        if (pattern == nullptr) continue;
        const ClaimedName claimed = chooseWorkFileName(pattern, dir, random, createNewWorkFile);
        if (!claimed.created()) return false;
        *path = claimed.path;
    }
    return true;
}

// In place of every console tool's and script's output, once per report.
std::string unnamedFolderNotice(const std::string& folder) {
    return "\nNo console tool or script output in this report: the command interpreter cannot reach the "
           "work folder \"" +
           folder + "\" (set TEMP to a folder with a plainer name).\n";
}

} // namespace

std::string batchLinePath(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        // The interpreter expands "%" in a batch line even between quotation
        // marks; "%%" is read back as one.
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

std::optional<std::string> ProcessRunner::batchFolder(const std::string& folder) {
    std::optional<std::string> named =
        batchFolderName(folder, ansiToOemInPlace, oemToAnsiInPlace, shortPath_);
    if (!named && !folderNoticeWritten_) {
        folderNoticeWritten_ = true;
        context_.write(unnamedFolderNotice(folder));
    }
    return named;
}

void oemToAnsiInPlace(std::string& text) {
    if (!text.empty()) OemToCharBuffA(text.data(), text.data(), static_cast<DWORD>(text.size()));
}

RunnerModes ProcessRunner::modesOf(RunMode mode) {
    RunnerModes modes;
    modes.scriptMode =
        mode == RunMode::Script || mode == RunMode::ScriptCountInstances || mode == RunMode::ScriptCapture;
    modes.envValueMode = mode == RunMode::EnvValue;
    modes.joinThreeMode = mode == RunMode::JoinThree;
    modes.countInstancesMode = mode == RunMode::ScriptCountInstances;
    modes.captureMode = mode == RunMode::ScriptCapture;
    return modes;
}

std::string ProcessRunner::batchText(RunMode mode, const std::string& text, const std::string& scriptPath,
                                     const std::string& outputPath) {
    const RunnerModes modes = modesOf(mode);
    // Quoted: the work directory of Windows 2000/XP lies under "Documents and Settings".
    // Without its banner: a localized host words it in its own language.
    if (modes.scriptMode)
        return "cscript //NoLogo " + batchLinePath(scriptPath) + ">" + batchLinePath(outputPath) + "\n";
    // No blank before ">": some command interpreters take it as part of the name.
    if (modes.envValueMode) return text + "\nset env_olddir>" + batchLinePath(outputPath) + "\n";
    return text + ">" + batchLinePath(outputPath) + "\n";
}

int ProcessRunner::run(const std::string& text, RunMode mode, bool probeOnly, RunHolder* holder) {
    const RunnerModes modes = modesOf(mode);
    // A row that runs several commands goes on to its next one after a halt:
    // that one is not started at all.
    if (context_.haltRequested()) {
        if (modes.scriptMode) scriptBuffer().clear();
        return 0;
    }
    const std::string& body = text;
    const std::string dir = workDirectory();
    WorkFiles files;
    const std::optional<std::string> batchDir = batchFolder(dir);
    if (!batchDir || !claimRunnerFiles(files, dir, modes.scriptMode)) {
        if (modes.scriptMode) scriptBuffer().clear();
        return 0;
    }
    // The interpreter reads the batch file in the OEM code page; the
    // callers' own text comes in that code page already.
    const auto inBatch = [&](const std::string& path) {
        return path.empty() ? path : *batchDir + path.substr(dir.size());
    };

    const bool scriptWritten = !modes.scriptMode || writeTextFile(files.script, body + "\n");
    const bool batchWritten =
        scriptWritten &&
        writeTextFile(files.batch, batchText(mode, body, inBatch(files.script), inBatch(files.output)));
    // The script is on disk (or cannot be): the buffer is free for the next one either way.
    if (modes.scriptMode) scriptBuffer().clear();
    if (!batchWritten) return 0;

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &inherit, 0)) return 0;
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    Handle nul(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                           0, nullptr));

    STARTUPINFOA si{};
    GetStartupInfoA(&si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = nul.get();
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    si.lpReserved = nullptr;
    si.lpDesktop = nullptr;
    si.lpTitle = nullptr;
    si.cbReserved2 = 0;
    si.lpReserved2 = nullptr;

    // Everything the batch starts stays in one job, so a halt can end it all.
    // Windows 95 to ME and NT 4.0 have no job objects: there a halt ends
    // the command interpreter alone, and what it started runs to its end.
    const sys::Kernel32Extras& kernel = sys::kernel32Extras();
    const bool jobsKnown = kernel.createJobObjectA != nullptr && kernel.assignProcessToJobObject != nullptr &&
                           kernel.terminateJobObject != nullptr;
    Handle job(jobsKnown ? kernel.createJobObjectA(nullptr, nullptr) : nullptr);
    childstart::endChildrenWithThisProgram(job.get());
    PROCESS_INFORMATION pi{};
    ChildClock childClock(childMicros_);
    if (!startInterpreter(files.batch, si, job.get() != nullptr, pi)) return 0;
    Handle process(pi.hProcess), thread(pi.hThread);
    // Before Windows 8 a child that stayed in a job enclosing ours (one that
    // refuses break-away) cannot join another: it is then ended alone.
    if (job && !kernel.assignProcessToJobObject(job.get(), process.get())) job.reset();
    ResumeThread(thread.get());
    // Only the child may hold the write end now: a child that never writes
    // cannot keep the drain waiting.
    writeEnd.reset();
    nul.reset();

    // The batch is done when its interpreter has ended (it waits for each of
    // its commands). Helpers that a command leaves running may inherit the
    // pipe and keep it open for good, so a broken pipe is not waited for.
    char buffer[1000];
    while (true) {
        if (context_.haltRequested()) {
            if (job) kernel.terminateJobObject(job.get(), 1);
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
            files.patienceMs = workfile::kHaltedRunPatienceMs;
            return 0;
        }
        const bool ended = WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr))
            break; // broken: all ended
        if (available > 0) {
            DWORD got = 0;
            if (!ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr)) break;
            continue; // what arrives on the pipe is discarded
        }
        if (ended) break;
        WaitForSingleObject(process.get(), 15);
    }
    childClock.stop();

    std::string output;
    if (!readWholeFile(files.output, output)) return 0;
    const RunnerOutput result = processRunnerOutput(output, modes, probeOnly, oemToAnsiInPlace);
    for (const std::string& piece : result.report) {
        // A halt that comes while the output is delivered: the rest is not
        // wanted (Clear has emptied the view, or Close is ending the program).
        if (context_.haltRequested()) return 0;
        context_.write(piece);
    }
    if (holder != nullptr) {
        holder->captureText += result.capture;
        if (result.envValueSet) holder->envValue = result.envValue;
        holder->ownInstanceCount += result.ownInstances;
    }
    return result.result;
}
