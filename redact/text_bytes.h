// The classes of bytes the redaction reads report text by. Report text is in
// the ANSI code page: bytes above 127 are its letters.
#pragma once

namespace textbytes {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

inline char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// 0 to 15, or -1 for no hex digit (either case).
inline int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    const char l = lower(c);
    return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

inline bool isHexDigit(char c) {
    return hexValue(c) >= 0;
}

// Letters and digits, the code page's letters above 127 among them.
inline bool isAlnum(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0x80;
}

// What a word is made of: letters, digits and '_'.
inline bool isWordByte(char c) {
    return isAlnum(c) || c == '_';
}

} // namespace textbytes
