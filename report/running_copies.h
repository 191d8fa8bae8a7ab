// Every running copy of the program counts itself in a named semaphore for
// its whole life. The closing sweep of stale work files asks it right before
// deleting: the report's own process count was taken a while earlier, and a
// copy started since then (a window or a command-line report) has work files
// of its own in the same folder.
#pragma once

#include <windows.h>

#include <atomic>

class RunningCopies {
  public:
    static constexpr const char* kName = "Korvexer.RunningCopies";

    explicit RunningCopies(const char* name = kName);
    ~RunningCopies() { countOut(); }
    // Counts this copy out again (once; nothing more is known afterwards).
    void countOut();
    RunningCopies(const RunningCopies&) = delete;
    RunningCopies& operator=(const RunningCopies&) = delete;

    // True when another copy counted itself in and has not counted itself
    // out (a copy that was ended from outside stays counted while any other
    // copy lives: the sweep then waits for a later report).
    bool othersRunning() const;

  private:
    HANDLE semaphore_ = nullptr;
    std::atomic<bool> countedIn_{false};
};

namespace runningcopies {
// The program's own count, kept from the start of the program until it
// ends (counted out before the process is ended; never destroyed, since a
// worker may still ask while the process ends).
void countThisCopyIn();
void countThisCopyOut();
// False when this copy could not count itself (nothing better is known then
// than the process count the report took).
bool othersRunning();
} // namespace runningcopies
