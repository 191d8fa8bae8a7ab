#include "module_table.h"

#include <algorithm>

namespace moduletable {

namespace {

// The next character of `text` from `at` as one number; moves `at` past it.
unsigned nextCharacter(std::string_view text, size_t& at, LeadByteTest isLead) {
    const auto first = static_cast<unsigned char>(text[at++]);
    // A lead byte at the very end stands alone, as the C library reads it.
    if (isLead != nullptr && isLead(first) && at < text.size() && text[at] != '\0')
        return static_cast<unsigned>(first) << 8 | static_cast<unsigned char>(text[at++]);
    return first;
}

void appendField(std::string& line, std::string_view value) {
    for (const char c : value)
        line.push_back(static_cast<unsigned char>(c) < 0x20 ? ' ' : c);
}

} // namespace

int compareMultibyte(std::string_view a, std::string_view b, LeadByteTest isLead) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const unsigned x = nextCharacter(a, i, isLead);
        const unsigned y = nextCharacter(b, j, isLead);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

void insertInOrder(std::vector<std::string>& list, std::string path, LeadByteTest isLead) {
    const auto at = std::lower_bound(
        list.begin(), list.end(), path,
        [isLead](const std::string& x, const std::string& y) { return compareMultibyte(x, y, isLead) < 0; });
    list.insert(at, std::move(path));
}

std::string formatModifiedTime(const CivilTime& time) {
    static constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
    const char* month = time.month >= 1 && time.month <= 12 ? kMonths[time.month - 1] : "?";
    auto two = [](int n) {
        std::string s = std::to_string(n);
        return n >= 0 && n < 10 ? "0" + s : s;
    };
    return std::string(month) + " " + two(time.day) + ", " + std::to_string(time.year) + " " +
           two(time.hour) + ":" + two(time.minute) + ":" + two(time.second);
}

std::string moduleLine(const ModuleFacts& module) {
    std::string line;
    appendField(line, module.path);
    line += '\t';
    appendField(line, module.fileVersion);
    line += '\t';
    line += module.fileKnown ? std::to_string(module.size) : "?";
    line += '\t';
    line += module.fileKnown ? formatModifiedTime(module.modified) : "?";
    line += '\t';
    appendField(line, module.fileDescription);
    line += '\t';
    appendField(line, module.productName);
    line += '\t';
    appendField(line, module.productVersion);
    line += '\n';
    return line;
}

} // namespace moduletable
