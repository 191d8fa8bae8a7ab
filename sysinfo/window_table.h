// The top-level windows of one process as the process section lists them:
// at most 512 stored (title, class, or "title, class"), every window counted
// as visible or not, stored or not. Pure: the window calls fill it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class WindowTable {
  public:
    static constexpr size_t kCapacity = 512;

    struct Entry {
        uintptr_t handle = 0;
        std::string text;
    };

    // Empties the table for the windows of `processId`.
    void reset(uint32_t processId) {
        target_ = processId;
        entries_.clear();
        visible_ = 0;
        hidden_ = 0;
    }
    uint32_t target() const { return target_; }

    // One window of the target process. Stored when it has a title or a class
    // name and there is room; counted always.
    void add(uintptr_t handle, std::string_view title, std::string_view className, bool visible);

    const std::vector<Entry>& entries() const { return entries_; }
    int visible() const { return visible_; }
    int hidden() const { return hidden_; }

  private:
    uint32_t target_ = 0;
    std::vector<Entry> entries_;
    int visible_ = 0;
    int hidden_ = 0;
};
