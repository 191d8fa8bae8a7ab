#include "system_api.h"

#include <atomic>

namespace sys {

namespace {

std::atomic<bool> extrasHidden{false};

template <typename Function> void bind(HMODULE module, const char* name, Function& out) {
    // GetProcAddress hands back a generic pointer; the declaration above
    // gives the real signature of each name.
    out = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

Kernel32Extras lookUpKernel32() {
    Kernel32Extras k;
    // kernel32 is mapped into every Win32 process: no load, nothing to free.
    const HMODULE module = GetModuleHandleA("kernel32.dll");
    if (module == nullptr) return k;
    bind(module, "GetFileSizeEx", k.getFileSizeEx);
    bind(module, "CreateJobObjectA", k.createJobObjectA);
    bind(module, "AssignProcessToJobObject", k.assignProcessToJobObject);
    bind(module, "TerminateJobObject", k.terminateJobObject);
    bind(module, "SetInformationJobObject", k.setInformationJobObject);
    bind(module, "IsProcessInJob", k.isProcessInJob);
    bind(module, "SystemTimeToTzSpecificLocalTime", k.systemTimeToTzSpecificLocalTime);
    return k;
}

} // namespace

bool ntFamily() {
    // The high bit of GetVersion's result is set on the Windows 95 family
    // and on Win32s: the only test that every version answers the same way.
    static const bool nt = (GetVersion() & 0x80000000u) == 0;
    return nt;
}

const Kernel32Extras& kernel32Extras() {
    static const Kernel32Extras extras = lookUpKernel32();
    static const Kernel32Extras none;
    return extrasHidden ? none : extras;
}

void hideKernel32Extras(bool hide) {
    extrasHidden = hide;
}

bool fileSize(HANDLE file, ULONGLONG& size) {
    if (const auto getFileSizeEx = kernel32Extras().getFileSizeEx) {
        LARGE_INTEGER value{};
        if (!getFileSizeEx(file, &value)) return false;
        size = static_cast<ULONGLONG>(value.QuadPart);
        return true;
    }
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(file, &high);
    // 0xFFFFFFFF is also a valid low part: only the error code tells.
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    size = (static_cast<ULONGLONG>(high) << 32) | low;
    return true;
}

} // namespace sys

namespace sys {

namespace {
std::atomic<bool> attachedToConsole{false};
} // namespace

void noteAttachedToConsole() {
    attachedToConsole = true;
}

DWORD childConsoleFlag() {
    return attachedToConsole ? CREATE_NEW_CONSOLE : 0;
}

} // namespace sys
