#include "text_format.h"

#include <cstdio>
#include <vector>

std::optional<std::string> formatGrowing(size_t initial, size_t step, size_t limit, const char* format,
                                         va_list args) {
    va_list probe;
    va_copy(probe, args);
    const int needed = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (needed < 0) return std::nullopt;
    // The buffer sizes form initial + k * step, each below `limit`; the text
    // and its terminator must fit the largest of them.
    size_t largest = initial;
    while (largest + step < limit) largest += step;
    if (static_cast<size_t>(needed) + 1 > largest) return std::nullopt;
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(out.data(), out.size(), format, copy);
    va_end(copy);
    out.resize(static_cast<size_t>(needed));
    return out;
}

std::string formatCut(size_t size, const char* format, va_list args) {
    std::vector<char> buffer(size, '\0');
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (n < 0) return {};
    return std::string(buffer.data());
}

std::string expandLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 8);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::string doublePercent(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        out.push_back(c);
        if (c == '%') out.push_back('%');
    }
    return out;
}
