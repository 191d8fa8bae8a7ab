// A lock over a Win32 critical section. The product is built with the win32
// thread model, whose C++ library has no std::mutex, and it must run on
// Windows 95, where a critical section is the lock there is.
#pragma once

#include <windows.h>

class CriticalSection {
  public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};

// Holds a CriticalSection for the lifetime of a scope.
class ScopedLock {
  public:
    explicit ScopedLock(CriticalSection& section) : section_(section) { section_.lock(); }
    ~ScopedLock() { section_.unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

  private:
    CriticalSection& section_;
};
