// What differs between the Windows versions the program runs on: the family
// (95/98/ME or NT) and the kernel functions that only later versions export.
// A function named in the import table that the system lacks stops the
// loader before the program starts, so these are looked up at run time.
#pragma once

#include <windows.h>

namespace sys {

// True on NT 4.0, 2000, XP and later; false on 95, 98 and ME (and Win32s).
bool ntFamily();

// kernel32 functions newer than Windows 95, each null where the running
// system does not export it. Looked up once, on first use.
struct Kernel32Extras {
    BOOL(WINAPI* getFileSizeEx)(HANDLE file, PLARGE_INTEGER size) = nullptr;                   // 2000
    HANDLE(WINAPI* createJobObjectA)(LPSECURITY_ATTRIBUTES attributes, LPCSTR name) = nullptr; // 2000
    BOOL(WINAPI* assignProcessToJobObject)(HANDLE job, HANDLE process) = nullptr;              // 2000
    BOOL(WINAPI* terminateJobObject)(HANDLE job, UINT exitCode) = nullptr;                     // 2000
    BOOL(WINAPI* setInformationJobObject)
    (HANDLE job, JOBOBJECTINFOCLASS kind, LPVOID information,
     DWORD length) = nullptr;                                                         // 2000
    BOOL(WINAPI* isProcessInJob)(HANDLE process, HANDLE job, PBOOL result) = nullptr; // XP
    // NT; Windows 95 to ME export it but fail every call.
    BOOL(WINAPI* systemTimeToTzSpecificLocalTime)
    (TIME_ZONE_INFORMATION* zone, SYSTEMTIME* utc, SYSTEMTIME* local) = nullptr;
};
const Kernel32Extras& kernel32Extras();

// Tests set this to run the fallbacks the oldest systems take: while it is
// on, kernel32Extras() offers none of the functions above.
void hideKernel32Extras(bool hide);

// Set once this process is attached to a console (a report run from a
// command line): the children it starts then get a hidden console of their
// own instead of sharing that one (its code page, size and title). Without
// a console of ours they get a fresh one anyway, so nothing is asked then.
void noteAttachedToConsole();
// CREATE_NEW_CONSOLE after noteAttachedToConsole(), else 0.
DWORD childConsoleFlag();

// The size of an open file; false when it cannot be learned. Uses
// GetFileSizeEx where it exists and GetFileSize elsewhere.
bool fileSize(HANDLE file, ULONGLONG& size);

} // namespace sys
