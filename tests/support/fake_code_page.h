// A code page pair of the tests' own: e with acute has a place in both (0xE9
// in ANSI, 0x82 in OEM), the currency sign 0xA4 only in ANSI.
#pragma once

#include <string>

inline void fakeToOem(std::string& text) {
    for (char& c : text) {
        if (c == '\xe9') c = '\x82';
        if (c == '\xa4') c = '?';
    }
}

inline void fakeToAnsi(std::string& text) {
    for (char& c : text)
        if (c == '\x82') c = '\xe9';
}
