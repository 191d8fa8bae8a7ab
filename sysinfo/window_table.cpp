#include "window_table.h"

void WindowTable::add(uintptr_t handle, std::string_view title, std::string_view className, bool visible) {
    if ((!title.empty() || !className.empty()) && entries_.size() < kCapacity) {
        Entry entry;
        entry.handle = handle;
        entry.text.assign(title);
        if (!title.empty() && !className.empty()) entry.text += ", ";
        entry.text.append(className);
        entries_.push_back(std::move(entry));
    }
    ++(visible ? visible_ : hidden_);
}
