// A text that one thread writes and another reads (report paths and the
// like): copies in and out under a lock, never a reference.
#pragma once

#include "critical_section.h"

#include <string>

class SharedText {
public:
    SharedText() = default;
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    std::string get() const {
        ScopedLock lock(guard_);
        return value_;
    }
    void set(std::string value) {
        ScopedLock lock(guard_);
        value_ = std::move(value);
    }
    void clear() { set({}); }
    bool empty() const {
        ScopedLock lock(guard_);
        return value_.empty();
    }

private:
    mutable CriticalSection guard_;
    std::string value_;
};
