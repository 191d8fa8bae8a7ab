#include "process_counters.h"

#include <psapi.h>

#include <vector>

namespace automation {

namespace {

using HandleCountFn = BOOL(WINAPI*)(HANDLE, PDWORD);
using GuiResourcesFn = DWORD(WINAPI*)(HANDLE, DWORD);
using MemoryInfoFn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
using SystemInfoFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

template <typename Fn> Fn bind(const char* module, const char* name) {
    HMODULE m = GetModuleHandleA(module);
    if (m == nullptr) m = LoadLibraryA(module);
    return m == nullptr ? nullptr : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

// The system-wide handle table, counted for one process. Wine's
// GetProcessHandleCount answers 0 for every process; its table is real.
Count handlesFromSystemTable(DWORD pid) {
    Count count;
    auto query = bind<SystemInfoFn>("ntdll.dll", "NtQuerySystemInformation");
    if (query == nullptr) return count;
    const ULONG kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    struct Entry {
        ULONG ownerPid;
        UCHAR objectType;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    std::vector<char> buffer(1 << 20);
    LONG status = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG length = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length);
        if (status != kInfoLengthMismatch) break;
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return count;
    const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
    const size_t room = (buffer.size() - sizeof(ULONG_PTR)) / sizeof(Entry);
    for (ULONG i = 0; i < entries && i < room; ++i)
        if (entry[i].ownerPid == pid) ++count.value;
    count.known = true;
    count.source = "system handle table";
    return count;
}

struct WindowCount {
    DWORD pid;
    uint64_t windows;
};

BOOL CALLBACK countChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<WindowCount*>(lParam)->windows;
    return TRUE;
}

BOOL CALLBACK countTop(HWND hwnd, LPARAM lParam) {
    auto* count = reinterpret_cast<WindowCount*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != count->pid) return TRUE;
    ++count->windows;
    EnumChildWindows(hwnd, countChild, lParam);
    return TRUE;
}

} // namespace

ProcessCounts readProcessCounts(HANDLE process, DWORD pid) {
    ProcessCounts counts;

    DWORD handles = 0;
    auto handleCount = bind<HandleCountFn>("kernel32.dll", "GetProcessHandleCount");
    if (handleCount != nullptr && handleCount(process, &handles) && handles > 0) {
        counts.handles = {true, handles, "GetProcessHandleCount"};
    } else {
        counts.handles = handlesFromSystemTable(pid);
    }

    // Wine has GetGuiResources as a stub that fails with
    // ERROR_CALL_NOT_IMPLEMENTED; a process with a window has USER objects,
    // so 0 is never a real answer for it.
    auto guiResources = bind<GuiResourcesFn>("user32.dll", "GetGuiResources");
    if (guiResources != nullptr) {
        const DWORD gdi = guiResources(process, GR_GDIOBJECTS);
        const DWORD user = guiResources(process, GR_USEROBJECTS);
        if (gdi > 0) counts.gdiObjects = {true, gdi, "GetGuiResources"};
        if (user > 0) counts.userObjects = {true, user, "GetGuiResources"};
    }
    if (!counts.userObjects.known) {
        WindowCount windows{pid, 0};
        EnumWindows(countTop, reinterpret_cast<LPARAM>(&windows));
        counts.userObjects = {true, windows.windows, "windows of the process"};
    }

    auto memoryInfo = bind<MemoryInfoFn>("kernel32.dll", "K32GetProcessMemoryInfo");
    if (memoryInfo == nullptr) memoryInfo = bind<MemoryInfoFn>("psapi.dll", "GetProcessMemoryInfo");
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (memoryInfo != nullptr &&
        memoryInfo(process, reinterpret_cast<PPROCESS_MEMORY_COUNTERS>(&memory), sizeof memory)) {
        // Wine leaves PrivateUsage at 0 and reports the committed private
        // memory as PagefileUsage, which Windows fills with the same figure.
        if (memory.PrivateUsage > 0)
            counts.privateBytes = {true, memory.PrivateUsage, "PrivateUsage"};
        else if (memory.PagefileUsage > 0)
            counts.privateBytes = {true, memory.PagefileUsage, "PagefileUsage"};
    }
    return counts;
}

std::string describe(const ProcessCounts& counts) {
    std::string out;
    const struct {
        const char* name;
        const Count& count;
    } rows[] = {{"handles", counts.handles},
                {"GDI objects", counts.gdiObjects},
                {"USER objects", counts.userObjects},
                {"private bytes", counts.privateBytes}};
    for (const auto& row : rows) {
        out += row.name;
        out += ": ";
        out += row.count.known ? std::to_string(row.count.value) + " (" + row.count.source + ")"
                               : "not reported";
        out += "\n";
    }
    return out;
}

} // namespace automation
