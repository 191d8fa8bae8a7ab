// How children are started: which interpreter, by which command line, with
// which creation flags; the batch line of a script run.
#include "runner/child_start.h"
#include "runner/command_runner.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using childstart::Interpreter;

TEST(ChildStart, InterpreterIsNamedByItsFullPath) {
    struct Case {
        bool nt;
        const char* system;
        const char* windows;
        const char* comspec;
        const char* program;
    } cases[] = {
        // NT: the system folder's cmd.exe, whatever COMSPEC says.
        {true, "C:\\WINNT\\system32", "C:\\WINNT", "C:\\Downloads\\cmd.exe", "C:\\WINNT\\system32\\cmd.exe"},
        {true, "C:\\WINDOWS\\system32\\", "C:\\WINDOWS", "", "C:\\WINDOWS\\system32\\cmd.exe"},
        {true, "", "C:\\WINDOWS", "", ""},
        // 95/98/ME: COMSPEC when it is an absolute path, else the Windows folder's COMMAND.COM.
        {false, "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS", "C:\\WINDOWS\\COMMAND.COM", "C:\\WINDOWS\\COMMAND.COM"},
        {false, "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS", "\\\\server\\tools\\4dos.com",
         "\\\\server\\tools\\4dos.com"},
        {false, "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS", "COMMAND.COM", "C:\\WINDOWS\\COMMAND.COM"},
        {false, "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\", "", "C:\\WINDOWS\\COMMAND.COM"},
        {false, "C:\\WINDOWS\\SYSTEM", "", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(childstart::interpreterProgram(c.nt, c.system, c.windows, c.comspec), c.program)
            << c.nt << " " << c.system << " " << c.comspec;
}

TEST(ChildStart, BatchCommandLineKeepsThePathWhole) {
    const std::string batch = "C:\\Documents and Settings\\A&B\\Temp\\korvexDlg32_work_file.0123450.bat";
    const Interpreter nt{true, "C:\\WINDOWS\\system32\\cmd.exe", "C:\\WINDOWS\\system32"};
    EXPECT_EQ(childstart::batchCommandLine(nt, batch),
              "\"C:\\WINDOWS\\system32\\cmd.exe\" /c \"\"" + batch + "\"\"");
    const Interpreter old{false, "C:\\WINDOWS\\COMMAND.COM", "C:\\WINDOWS\\SYSTEM"};
    EXPECT_EQ(childstart::batchCommandLine(old, "C:\\WINDOWS\\TEMP\\k.bat"),
              "\"C:\\WINDOWS\\COMMAND.COM\" /c \"C:\\WINDOWS\\TEMP\\k.bat\"");
}

TEST(ChildStart, SystemInterpreterLiesInTheSystemFolder) {
    const Interpreter interpreter = childstart::systemInterpreter();
    char system[MAX_PATH + 1] = {};
    ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 0u);
    EXPECT_EQ(interpreter.folder, system);
    EXPECT_EQ(interpreter.program, std::string(system) + "\\cmd.exe");
    EXPECT_NE(GetFileAttributesA(interpreter.program.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Out of an enclosing job first; a job that refuses that (access denied)
// gets the child inside it; any other failure is the answer.
TEST(ChildStart, BreakAwayFromAJobWhereItIsAllowed) {
    const DWORD base = CREATE_SUSPENDED;
    struct Case {
        const char* name;
        bool breakAway;
        std::vector<DWORD> answers; // what each CreateProcess attempt gives
        std::vector<DWORD> tried;   // the flags of each attempt
        DWORD result;
    } cases[] = {
        {"allowed", true, {0}, {base | CREATE_BREAKAWAY_FROM_JOB}, 0},
        {"refused", true, {ERROR_ACCESS_DENIED, 0}, {base | CREATE_BREAKAWAY_FROM_JOB, base}, 0},
        {"refused, then failed",
         true,
         {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND},
         {base | CREATE_BREAKAWAY_FROM_JOB, base},
         ERROR_FILE_NOT_FOUND},
        {"other failure",
         true,
         {ERROR_FILE_NOT_FOUND},
         {base | CREATE_BREAKAWAY_FROM_JOB},
         ERROR_FILE_NOT_FOUND},
        {"no job to join", false, {0}, {base}, 0},
    };
    for (const Case& c : cases) {
        std::vector<DWORD> tried;
        const DWORD result = childstart::createPreferringBreakaway(base, c.breakAway, [&](DWORD flags) {
            tried.push_back(flags);
            return tried.size() <= c.answers.size() ? c.answers[tried.size() - 1] : ERROR_GEN_FAILURE;
        });
        EXPECT_EQ(tried, c.tried) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
}

// Run alone and inside a job (RunnerInAJob): a job of the runner's own ends
// its children with this program only where this program is in a job itself.
TEST(ChildStart, OwnJobEndsItsChildrenWithThisProgramOnlyInsideAJob) {
    BOOL inJob = FALSE;
    ASSERT_TRUE(IsProcessInJob(GetCurrentProcess(), nullptr, &inJob));
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(childstart::endChildrenWithThisProgram(job), inJob != FALSE);
    // A child that waits for input that never comes, started as the runner
    // starts its own.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = readEnd;
    si.hStdOutput = si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string command = "cmd.exe /c pause";
    PROCESS_INFORMATION pi{};
    const DWORD error =
        childstart::createPreferringBreakaway(CREATE_SUSPENDED, inJob != FALSE, [&](DWORD flags) {
            return CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                  &si, &pi)
                       ? 0
                       : GetLastError();
        });
    ASSERT_EQ(error, 0u);
    EXPECT_TRUE(AssignProcessToJobObject(job, pi.hProcess));
    ResumeThread(pi.hThread);
    CloseHandle(job);
    const bool ended = WaitForSingleObject(pi.hProcess, 3000) == WAIT_OBJECT_0;
    EXPECT_EQ(ended, inJob != FALSE);
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
}

TEST(ChildStart, ScriptHostStartsWithoutItsBanner) {
    const std::string script = "C:\\Temp dir\\korvexDlg32_work_file.0123452.vbs";
    const std::string output = "C:\\Temp dir\\korvexDlg32_work_file.0123450.txt";
    for (RunMode mode : {RunMode::Script, RunMode::ScriptCapture, RunMode::ScriptCountInstances})
        EXPECT_EQ(ProcessRunner::batchText(mode, "WScript.Echo 1", script, output),
                  "cscript //NoLogo \"" + script + "\">\"" + output + "\"\n");
    EXPECT_EQ(ProcessRunner::batchText(RunMode::Plain, "ipconfig /all", script, output),
              "ipconfig /all>\"" + output + "\"\n");
}

} // namespace
