// Resource counts of another process, read from outside it. Every function is
// bound at run time: some systems lack them and Wine answers a few with a
// stub, so each count says whether it was really read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace automation {

struct Count {
    bool known = false;
    uint64_t value = 0;
    std::string source; // which interface gave it, for the test's figures
};

struct ProcessCounts {
    Count handles;      // kernel object handles
    Count gdiObjects;   // GDI objects
    Count userObjects;  // USER objects, or the process's windows where those are not reported
    Count privateBytes; // committed private memory
};

ProcessCounts readProcessCounts(HANDLE process, DWORD pid);
std::string describe(const ProcessCounts& counts);

} // namespace automation
