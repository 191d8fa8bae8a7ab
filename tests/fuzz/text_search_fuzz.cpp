// Find and Find Next over a report copy. Input: the pattern's length (one
// byte), the selection start (eight bytes, little-endian, any value a caller
// could pass), the pattern, then the report text. Besides the sanitizers'
// findings, a run fails when an offset found does not hold the pattern (case
// ignored), when an earlier occurrence was skipped, or when Find Next answers
// an offset outside the text or the first character.
#include "report/text_search.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

std::string lowered(std::string_view text) {
    std::string out(text);
    lowerInPlace(out);
    return out;
}

// The text a search from `from` sees: up to the next zero byte.
std::string_view visibleFrom(const std::string& text, size_t from) {
    return std::string_view(text.c_str() + from);
}

void checkFound(const std::string& lowerText, std::string_view lowerNeedle, long from, long found) {
    if (from < 0 || static_cast<size_t>(from) > lowerText.size()) {
        require(found == -1);
        return;
    }
    const std::string_view visible = visibleFrom(lowerText, static_cast<size_t>(from));
    const size_t expected = visible.find(lowerNeedle);
    if (expected == std::string_view::npos) {
        require(found == -1);
    } else {
        require(found == from + static_cast<long>(expected));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    uint64_t raw = 0;
    for (int i = 8; i >= 1; --i)
        raw = (raw << 8) | data[i];
    long selection = 0;
    std::memcpy(&selection, &raw, sizeof selection < sizeof raw ? sizeof selection : sizeof raw);
    const size_t patternLength = std::min<size_t>(data[0], size - 9);
    const std::string_view pattern(reinterpret_cast<const char*>(data + 9), patternLength);
    const std::string_view text(reinterpret_cast<const char*>(data + 9 + patternLength),
                                size - 9 - patternLength);

    const std::string lowerText = lowered(text);
    const std::string lowerNeedle(lowered(pattern).c_str());

    SearchCopy copy{std::string(text), false};
    const long direct = findText(copy, pattern, selection);
    require(copy.lowered && copy.text == lowerText);
    checkFound(lowerText, lowerNeedle, selection, direct);

    SearchCopy again{std::string(text), false};
    const long next = nextMatch(again, pattern, selection);
    if (next != -1) {
        require(next >= 1 || (selection < 0 && next == selection + 1));
        require(static_cast<size_t>(next) + lowerNeedle.size() <= lowerText.size());
        require(lowerText.compare(static_cast<size_t>(next), lowerNeedle.size(), lowerNeedle) == 0);
    }
    return 0;
}
