// The history index reader on arbitrary bytes. Besides the sanitizers'
// findings, a run fails when the listing breaks its own rules: lines other
// than the header and four-blank lines of printable text, more steps or text
// than a walk bounded by the file size allows, or a halted listing that is not
// a prefix of the full one.
#include "ie/history_index.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kHeader = "\nInternet Explorer History for user: fuzz\n";

struct Outcome {
    HistoryIndexResult result;
    std::string text;
    uint64_t steps = 0;
};

Outcome run(std::string_view file, uint64_t haltAt) {
    Outcome out{HistoryIndexResult::Listed, {}, 0};
    HistoryQuestionState state;
    bool readHistory = true;
    HistoryIndexIo io;
    io.write = [&](std::string_view text) { out.text += text; };
    io.step = [&] { return ++out.steps != haltAt; };
    io.ask = [](const std::string&) { return true; };
    MemoryByteSource source(file);
    out.result = readHistoryIndex(&source, "fuzz", state, readHistory, io);
    return out;
}

void require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const Outcome full = run(file, 0);
    require(full.result == HistoryIndexResult::Listed);
    require(full.text.compare(0, kHeader.size(), kHeader) == 0);
    size_t lines = 0;
    for (size_t at = kHeader.size(); at < full.text.size(); ++lines) {
        require(full.text.compare(at, 4, "    ") == 0);
        const size_t end = full.text.find('\n', at);
        require(end != std::string::npos);
        for (size_t i = at; i < end; ++i)
            require(full.text[i] >= 32 && full.text[i] <= 127);
        at = end + 1;
    }
    // Tables cover at most the file, every one at least 16 bytes of it; all
    // locations together hold at most as many bytes as the file.
    require(full.steps <= size / 16 + size / 8 + size / historyindex::kTextBytesPerStep + 2);
    require(full.text.size() <= kHeader.size() + size + 5 * lines);

    if (full.steps > 1) {
        const Outcome halted = run(file, 1 + size % full.steps);
        require(halted.result == HistoryIndexResult::Halted);
        require(full.text.compare(0, halted.text.size(), halted.text) == 0);
        require(halted.text.back() == '\n');
    }
    return 0;
}
