#include "process_sections.h"

#include "dynamic_library.h"
#include "module_enumerator.h"
#include "report/task_context.h"
#include "runner/command_runner.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

namespace processsections {

std::string environmentText(std::string_view block) {
    std::string text;
    text.append(kSectionRule).append("\nAll environment strings:\n\n");
    bool first = true;
    size_t at = 0;
    while (at < block.size()) {
        size_t end = block.find('\0', at);
        if (end == std::string_view::npos) end = block.size();
        const std::string_view entry = block.substr(at, end - at);
        at = end + 1;
        // The NT family opens the block with hidden per-drive entries ("=C:=C:\...");
        // the first of them stays out. A block that opens with an ordinary
        // variable (Windows 95 to ME, or a process started with an
        // environment of its own) keeps it.
        const bool hiddenFirst = first && !entry.empty() && entry[0] == '=';
        first = false;
        if (hiddenFirst) continue;
        text.append(entry).append("\n");
    }
    return text;
}

std::string kernelDriversText(const std::vector<KernelDriver>& drivers) {
    std::string text;
    text.append(kSectionRule).append("\nDrivers Filename (Kernel):\n\n");
    text += "There are " + std::to_string(drivers.size()) + " drivers:\n";
    int number = 0;
    for (const KernelDriver& driver : drivers) {
        ++number;
        if (driver.baseName) text += std::to_string(number) + ":  Base: " + *driver.baseName + "   ";
        if (driver.fileName) text += "FileName:  " + *driver.fileName;
        text += "\n";
    }
    return text;
}

std::optional<std::vector<KernelDriver>> listKernelDrivers() {
    DynamicLibrary psapi;
    if (!psapi.load("psapi.dll")) return std::nullopt;
    using EnumDrivers = BOOL(WINAPI*)(LPVOID*, DWORD, LPDWORD);
    using DriverName = DWORD(WINAPI*)(LPVOID, LPSTR, DWORD);
    const auto enumDrivers = psapi.find<EnumDrivers>("EnumDeviceDrivers");
    const auto baseName = psapi.find<DriverName>("GetDeviceDriverBaseNameA");
    const auto fileName = psapi.find<DriverName>("GetDeviceDriverFileNameA");
    if (enumDrivers == nullptr) return std::nullopt;

    std::unique_ptr<LPVOID[]> addresses(new (std::nothrow) LPVOID[kMostDrivers]());
    if (!addresses) return std::nullopt;
    const DWORD room = static_cast<DWORD>(kMostDrivers * sizeof(LPVOID));
    DWORD needed = 0;
    if (!enumDrivers(addresses.get(), room, &needed) || needed >= room) return std::nullopt;

    std::vector<KernelDriver> drivers(needed / sizeof(LPVOID));
    auto nameOf = [](DriverName function, LPVOID address) -> std::optional<std::string> {
        if (function == nullptr) return std::nullopt;
        char name[1024 + 1] = {};
        if (function(address, name, 1024) == 0) return std::nullopt;
        return std::string(name, strnlen(name, 1024));
    };
    for (size_t i = 0; i < drivers.size(); ++i) {
        drivers[i].baseName = nameOf(baseName, addresses[i]);
        drivers[i].fileName = nameOf(fileName, addresses[i]);
    }
    return drivers;
}

} // namespace processsections

namespace {

struct WindowSearch {
    WindowTable* table;
};

BOOL CALLBACK addWindowOfTarget(HWND window, LPARAM parameter) {
    WindowTable& table = *reinterpret_cast<WindowSearch*>(parameter)->table;
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    // Thread id 0: the window is gone; its process id would read as 0 (the idle process).
    if (threadId == 0 || processId != table.target()) return TRUE;
    char title[255] = {};
    char className[256] = {};
    if (processId == GetCurrentProcessId() && threadId != GetCurrentThreadId()) {
        // For a window of this program GetWindowTextA sends WM_GETTEXT and
        // waits for the window's thread; a busy thread must not hold the report.
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutA(window, WM_GETTEXT, 254, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG,
                                 1000, &ignored))
            title[0] = '\0';
    } else {
        GetWindowTextA(window, title, 254);
    }
    GetClassNameA(window, className, 255);
    try {
        table.add(reinterpret_cast<uintptr_t>(window), std::string_view(title, strnlen(title, sizeof title)),
                  std::string_view(className, strnlen(className, sizeof className)),
                  IsWindowVisible(window) != FALSE);
    } catch (...) {
        return FALSE; // out of memory: the windows found so far stand
    }
    return TRUE;
}

bool writeAndStep(TaskContext& context, std::string_view text) {
    context.write(text);
    return context.step();
}

// A console tool that may be missing: its header and output only when a probe sees output.
bool writeProbedCommand(TaskContext& context, const char* command, RunMode mode, const std::string& header) {
    if (context.runner().run(command, RunMode::Plain, true) > 1) {
        if (!writeAndStep(context, header)) return false;
        context.runner().run(command, mode);
    }
    return context.step();
}

} // namespace

void SystemProcessDetails::collectWindows(WindowTable& windows) {
    WindowSearch search{&windows};
    EnumWindows(addWindowOfTarget, reinterpret_cast<LPARAM>(&search));
}

std::string SystemProcessDetails::describeModules(uint32_t processId) {
    return modules_.describeModules(processId, &examined_);
}

bool writeEnvironmentStrings(TaskContext& context) {
    char* block = GetEnvironmentStringsA();
    size_t length = 0;
    if (block != nullptr && block[0] != '\0') {
        // The strings end at an empty one: two zero bytes in a row. Only
        // after a zero is the next byte looked at, so no read passes the end.
        while (block[length] != '\0' || block[length + 1] != '\0')
            ++length;
        ++length; // the last string's own zero
    }
    const std::string text = processsections::environmentText(std::string_view(block, length));
    if (block != nullptr) FreeEnvironmentStringsA(block);
    return writeAndStep(context, text);
}

bool writeStartupFolder(TaskContext& context, const std::string& folder, const std::string& listCommand,
                        StartupFolder which) {
    if (listCommand.size() > 5) {
        const char* label = which == StartupFolder::AllUsers ? "Windows Application startUP - All Users: "
                                                             : "Windows Application startUP: ";
        context.write(std::string("\n") + label + folder + "\n");
        context.runner().run(listCommand, RunMode::Plain);
    }
    return writeAndStep(context, "\n");
}

bool writeFileTypes(TaskContext& context) {
    return writeProbedCommand(context, "assoc", RunMode::JoinThree,
                              std::string(kSectionRule) + "\nKnown file Types:\n\n");
}

bool writeInstalledDrivers(TaskContext& context) {
    return writeProbedCommand(context, "driverquery.exe", RunMode::Plain,
                              std::string(kSectionRule) + "\nDrivers:\n");
}

bool writeKernelDrivers(TaskContext& context) {
    const auto drivers = processsections::listKernelDrivers();
    if (!drivers) return context.step();
    return writeAndStep(context, processsections::kernelDriversText(*drivers));
}

bool writeProcesses(TaskContext& context, std::string& captureText, ProcessDetails& details) {
    const bool finished = processblocks::assemble(
        captureText, details, [&context](const std::string& block) { return writeAndStep(context, block); });
    captureText.clear();
    return finished;
}
