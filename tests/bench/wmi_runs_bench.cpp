// The seventeen WMI runs of one common report through the real runner, each
// timed, against one bare script-host start of an empty script: how much of a
// run is the script host starting and how much is WMI answering.
#include "collect/wmi_runs.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"
#include "support/test_context.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// "cscript //nologo empty.vbs", waited for: the floor under every run.
double bareScriptHost(const std::string& emptyScript) {
    std::string command = "cscript //nologo \"" + emptyScript + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    const Clock::time_point start = Clock::now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double seconds = since(start);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return seconds;
}

} // namespace

// Arguments: rounds (default 1); newer Windows forms unless "old" follows.
int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const bool newer = !(argc > 2 && std::string(argv[2]) == "old");
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    const std::string empty = std::string(dir) + "korvexer_bench_empty.vbs";
    HANDLE file = CreateFileA(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

    TestContext context;
    ProcessRunner runner(context);
    RunHolder holder;
    // Warm: the first WMI query of a session starts Wine's helpers.
    bareScriptHost(empty);
    scriptBuffer().clear();
    appendLines(scriptBuffer(), wmiRun('O').lines(newer));
    runner.run(scriptBuffer().text(), RunMode::Script, false, &holder);

    double bare = 0;
    for (int i = 0; i < rounds; ++i)
        bare += bareScriptHost(empty);
    bare /= rounds;

    double perRun[17] = {};
    size_t bytes[17] = {};
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < 17; ++i) {
            const WmiRun& run = kWmiRuns[i];
            scriptBuffer().clear();
            appendLines(scriptBuffer(), run.lines(newer));
            bytes[i] = scriptBuffer().size();
            holder = RunHolder{};
            const Clock::time_point start = Clock::now();
            runner.run(scriptBuffer().text(), run.mode, false, &holder);
            perRun[i] += since(start);
        }
    }
    DeleteFileA(empty.c_str());

    std::printf("bare cscript of an empty script: %.3f s (mean of %d)\n", bare, rounds);
    std::printf("run row  script bytes  seconds  x bare  %s\n",
                newer ? "(XP and later forms)" : "(forms before XP)");
    double total = 0;
    for (size_t i = 0; i < 17; ++i) {
        const double seconds = perRun[i] / rounds;
        total += seconds;
        std::printf("  %c %3d  %12zu  %7.3f  %6.1f  %s\n", kWmiRuns[i].letter, kWmiRuns[i].row, bytes[i],
                    seconds, bare > 0 ? seconds / bare : 0.0, kWmiRuns[i].name);
    }
    std::printf("all 17 runs: %.3f s = %.1f bare script-host starts; report text %zu bytes\n", total,
                bare > 0 ? total / bare : 0.0, context.report.size());
    return 0;
}
