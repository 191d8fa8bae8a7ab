// version_probe.exe (beside the test program) started as a child that stays
// alive until the owner ends it: a process of known modules, version data
// and windows.
#pragma once

#include <windows.h>

#include <string>

inline std::string besideThisProgram(const char* name) {
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

class ProbeProcess {
  public:
    // `mode` "wait" or "windows"; the child ends by itself after `seconds`.
    explicit ProbeProcess(const char* mode = "wait", int seconds = 60) {
        static LONG serial = 0;
        const std::string eventName = "KorvexerProbeReady." + std::to_string(GetCurrentProcessId()) + "." +
                                      std::to_string(InterlockedIncrement(&serial));
        ready_ = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
        std::string command = "\"" + besideThisProgram("version_probe.exe") + "\" " + mode + " " +
                              std::to_string(seconds) + " " + eventName;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &info_))
            info_ = {};
    }
    ~ProbeProcess() {
        if (ready_ != nullptr) CloseHandle(ready_);
        if (info_.hProcess == nullptr) return;
        end();
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    ProbeProcess(const ProbeProcess&) = delete;
    ProbeProcess& operator=(const ProbeProcess&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }

    // Waits until the child says it has loaded its modules (and, with
    // windows, made them); false when it ended or took too long.
    bool ready() const {
        if (!started() || ready_ == nullptr) return false;
        const HANDLE both[2] = {ready_, info_.hProcess};
        return WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
    }

    // Ends the child and waits for it; the handle stays open, so its id is
    // not given to another process while the test still uses it.
    void end() {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0) return;
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 10000);
    }

  private:
    HANDLE ready_ = nullptr;
    PROCESS_INFORMATION info_{};
};
