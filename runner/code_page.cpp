#include "code_page.h"

#include <windows.h>

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
