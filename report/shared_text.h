// A text that one thread writes and another reads (report paths and the
// like): copies in and out under a lock, never a reference.
#pragma once

#include <mutex>
#include <string>

class SharedText {
public:
    SharedText() = default;
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    std::string get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value_;
    }
    void set(std::string value) {
        std::lock_guard<std::mutex> lock(mutex_);
        value_ = std::move(value);
    }
    void clear() { set({}); }
    bool empty() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value_.empty();
    }

private:
    mutable std::mutex mutex_;
    std::string value_;
};
