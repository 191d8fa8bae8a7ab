// The cookie record decoder on arbitrary text. Besides the sanitizers'
// findings, a run fails when the output is not made of six-line records in
// the fixed order, when there are more records than eight lines each allow,
// or when feeding the same bytes in other chunk sizes changes the output.
#include "ie/cookie_records.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string decodeInChunks(std::string_view text, size_t chunk) {
    std::string out;
    CookieRecordReader reader([&](std::string_view t) { out += t; }, utcCivilTime);
    reader.startFile();
    LineSplitter lines([&reader](std::string_view line) { reader.line(line); });
    for (size_t at = 0; at < text.size(); at += chunk)
        lines.feed(text.substr(at, chunk));
    lines.finish();
    return out;
}

void require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string whole;
    CookieRecordReader reader([&](std::string_view t) { whole += t; }, utcCivilTime);
    readCookieText(text, reader);

    static constexpr std::string_view kLabels[6] = {
        "   Site: ", "   Variable: ", "   Value: ", "   Creation time: ", "   Expire time: ", "   Falgs: "};
    size_t lines = 0;
    for (size_t at = 0; at < whole.size(); ++lines) {
        require(whole.compare(at, kLabels[lines % 6].size(), kLabels[lines % 6]) == 0);
        const size_t end = whole.find('\n', at);
        require(end != std::string::npos);
        require(end - at <= kLabels[lines % 6].size() + LineSplitter::kLongestLine);
        at = end + 1;
    }
    require(lines % 6 == 0);
    size_t inputLines = 0;
    for (const char c : text)
        inputLines += c == '\n';
    require(lines / 6 <= (inputLines + 1) / 8);

    require(decodeInChunks(text, size == 0 ? 1 : 1 + data[0] % 13) == whole);
    return 0;
}
