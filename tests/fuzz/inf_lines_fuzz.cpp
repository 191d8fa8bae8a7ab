// The .inf policy line matcher on arbitrary files. The first byte sets the
// size of the pieces the file is fed in; the rest is the file. Besides the
// sanitizers' findings, a run fails when a listed line is not one the filter
// kept and the matcher accepts, is longer than the line limit, or when the
// piece size changes what is listed.
#include "collect/inf_lines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

bool kept(unsigned char c) {
    return c == '\n' || (c >= 32 && c < 126 && c != ';');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = 1 + data[0];
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::vector<std::string> whole = infPolicyLines(file);

    std::vector<std::string> pieces;
    InfLineReader reader;
    bool reading = true;
    for (size_t at = 0; at < file.size() && reading; at += piece)
        reading = reader.feed(file.substr(at, piece), pieces);
    require(pieces == whole);

    // The filtered file, to find each listed line in, in order.
    std::string filtered;
    for (const char c : file)
        if (kept(static_cast<unsigned char>(c))) filtered.push_back(c);
    size_t from = 0;
    for (const std::string& line : whole) {
        require(!line.empty() && line.back() == '\n');
        require(line.size() <= InfLineReader::kLongestLine + 1);
        require(line.find('\n') == line.size() - 1);
        for (const char c : line)
            require(kept(static_cast<unsigned char>(c)));
        require(isPolicyLine(line));
        // The first whole line equal to it (the same text may end a longer line first).
        size_t found = filtered.find(line, from);
        while (found != std::string::npos && found != 0 && filtered[found - 1] != '\n')
            found = filtered.find(line, found + 1);
        require(found != std::string::npos);
        from = found + line.size();
    }
    return 0;
}
