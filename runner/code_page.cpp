#include "code_page.h"

#include <windows.h>

#include <vector>

std::optional<std::string> inOemCodePage(std::string_view text, CodePageConversion toOem,
                                         CodePageConversion toAnsi) {
    std::string oem(text);
    toOem(oem);
    std::string back = oem;
    toAnsi(back);
    if (back != text) return std::nullopt;
    return oem;
}

void ansiToOemInPlace(std::string& text) {
    if (!text.empty()) CharToOemBuffA(text.data(), text.data(), static_cast<DWORD>(text.size()));
}

std::optional<std::string> systemShortPath(const std::string& path) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::nullopt;
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(n + 1); // too small: n is the size it needs
    }
    return std::nullopt;
}

std::optional<std::string> batchFolderName(const std::string& folder, CodePageConversion toOem,
                                           CodePageConversion toAnsi, ShortPathLookup shortPath) {
    if (std::optional<std::string> oem = inOemCodePage(folder, toOem, toAnsi)) return oem;
    // A volume without short names (or with them switched off) gives back
    // the long name, which fails the same test.
    const std::optional<std::string> shortName = shortPath(folder);
    if (!shortName) return std::nullopt;
    return inOemCodePage(*shortName, toOem, toAnsi);
}
