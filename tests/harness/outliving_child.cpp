// Starts a copy of itself that inherits its standard handles and lives on for
// a minute after this program has ended, the way Wine's dllhost.exe does after
// the first WMI query of a session. Run by ctest with a timeout well below
// that minute: it passes only if nothing that outlives a test program can
// keep ctest waiting on the program's output.
//   outliving_child.exe          start the child, print its id, end at once
//   outliving_child.exe child    the child: waits for the stop event, 60 s at most
//   outliving_child.exe stop     ends a child still waiting (the cleanup test)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kStopEvent = "Korvexer.Tests.OutlivingChild.Stop";

int runChild() {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, kStopEvent);
    if (stop == nullptr) return 1;
    WaitForSingleObject(stop, 60000);
    CloseHandle(stop);
    return 0;
}

int stopChild() {
    HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, kStopEvent);
    if (stop == nullptr) {
        std::printf("no child was waiting\n");
        return 0;
    }
    SetEvent(stop);
    CloseHandle(stop);
    std::printf("child told to stop\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "child") == 0) return runChild();
    if (argc > 1 && std::strcmp(argv[1], "stop") == 0) return stopChild();

    char self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    std::string commandLine = "\"" + std::string(self) + "\" child";
    // The child gets our standard output and error, like every helper a
    // command starts without thinking about it.
    for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE h = GetStdHandle(which);
        if (h != nullptr && h != INVALID_HANDLE_VALUE)
            SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("could not start the child: %lu\n", GetLastError());
        return 1;
    }
    // The child must be running (and holding our output) before we end.
    const bool alive = WaitForSingleObject(pi.hProcess, 500) == WAIT_TIMEOUT;
    std::printf("child %lu started, %s\n", pi.dwProcessId,
                alive ? "holds our output and lives on" : "ended early");
    std::fflush(stdout);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return alive ? 0 : 1;
}
