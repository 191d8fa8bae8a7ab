// The runner's own cost per call: N runs of "echo x" through the runner
// against N bare "cmd /c echo x" processes, and one WMI query script.
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "support/test_context.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void bareCmd() {
    char command[] = "cmd /c echo x";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 20;
    TestContext context;
    ProcessRunner runner(context);
    bareCmd();  // warm
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) bareCmd();
    const double bare = since(start) / n;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) runner.run("echo x", RunMode::Plain);
    const double ours = since(start) / n;
    std::printf("bare cmd /c echo: %.3f s per call; through the runner: %.3f s per call; overhead %.0f %%\n", bare,
                ours, 100.0 * (ours - bare) / bare);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) {
        scriptBuffer().clear();
        scriptBuffer().append("Set s = GetObject(\"winmgmts:\\\\.\\root\\cimv2\")\n"
                              "For Each o in s.ExecQuery(\"Select * from Win32_OperatingSystem\")\n"
                              "WScript.Echo o.Caption\nNext");
        runner.run(scriptBuffer().text(), RunMode::Script);
    }
    std::printf("one WMI query script through the runner: %.3f s per call\n", since(start) / 5);
    return 0;
}
