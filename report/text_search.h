// Case-insensitive search over a private copy of the report.
#pragma once

#include <string>
#include <string_view>

// A copy of the view's text; lower-cased in place by the first search on it.
struct SearchCopy {
    std::string text;
    bool lowered = false;
};

// Lower-cases the copy (multi-byte aware, in the process's code page) and
// returns the offset of the first occurrence of the lower-cased pattern at or
// after `from`, or -1.
long findText(SearchCopy& copy, std::string_view pattern, long from);

// Lower-cases a text in place, multi-byte aware.
void lowerInPlace(std::string& text);

// Whether Find Next must take a fresh copy of the view: the report's length
// changed since the copy was taken (a key press marks the copy with -1).
inline bool searchCopyStale(int copyLength, int reportLength) { return copyLength != reportLength; }

// Every key-down but the four arrow keys marks the copy stale.
bool keyMarksSearchCopyStale(unsigned virtualKey);

// The offset Find Next selects: the first match after the selection start,
// else the first from offset 1; -1 when there is none.
long nextMatch(SearchCopy& copy, std::string_view pattern, long selectionStart);
