#include "text_search.h"

#include "win32_types.h"

#include <limits>

void lowerInPlace(std::string& text) {
    if (!text.empty()) _mbslwr(reinterpret_cast<unsigned char*>(text.data()));
}

long findText(SearchCopy& copy, std::string_view pattern, long from) {
    if (!copy.lowered) {
        lowerInPlace(copy.text);
        copy.lowered = true;
    }
    if (from < 0 || static_cast<size_t>(from) > copy.text.size()) return -1;
    std::string needle(pattern);
    lowerInPlace(needle);
    const auto* haystack = reinterpret_cast<const unsigned char*>(copy.text.c_str());
    const unsigned char* hit =
        _mbsstr(haystack + from, reinterpret_cast<const unsigned char*>(needle.c_str()));
    if (hit == nullptr) return -1;
    return static_cast<long>(hit - haystack);
}

long nextMatch(SearchCopy& copy, std::string_view pattern, long selectionStart) {
    // A selection that starts at the last offset a long can hold has nothing after it.
    long p =
        selectionStart < std::numeric_limits<long>::max() ? findText(copy, pattern, selectionStart + 1) : -1;
    if (p == -1) p = findText(copy, pattern, 1);
    return p;
}

bool keyMarksSearchCopyStale(unsigned virtualKey) {
    return virtualKey != VK_LEFT && virtualKey != VK_RIGHT && virtualKey != VK_UP && virtualKey != VK_DOWN;
}
