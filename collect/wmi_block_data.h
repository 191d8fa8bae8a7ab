// Shorthands for writing the WMI blocks of the common report as data.
#pragma once

#include "runner/wmi_script.h"

#include <string>
#include <vector>

namespace wmidata {

// A standard block: title (empty: none), class, items in catalogue notation.
inline WmiBlock block(const char* title, const char* className, const std::vector<std::string>& items,
                      const char* collection = "colItems", const char* item = "objItem") {
    WmiBlock b;
    b.title = title;
    b.className = className;
    b.collection = collection;
    b.item = item;
    b.items = labels(items);
    return b;
}

inline void add(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

inline void add(std::vector<std::string>& lines, const WmiBlock& b) {
    add(lines, blockLines(b));
}

} // namespace wmidata
