// The process-block assembly on arbitrary captured task lists. The first
// byte names the block whose emit answers "stop" (0: none); the rest is the
// captured text. The details come from a fake whose windows and modules
// depend on the process id. Besides the sanitizers' findings, a run fails
// when an id is read otherwise than a plain reading of its digits does, when
// a block's details are not those of the last process id in the block,
// a block without an id gets details, the blocks without their details are
// not the captured text (its "%" pairs undone, every line ended), or the
// stop is not honoured at once.
#include "sysinfo/process_blocks.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

class FakeDetails : public ProcessDetails {
  public:
    void collectWindows(WindowTable& windows) override {
        const uint32_t id = windows.target();
        for (uint32_t i = 0; i < id % 4; ++i)
            windows.add(0x10000u + i, i == 1 ? "" : "title", i == 2 ? "" : "class", i % 2 == 0);
        ++calls;
    }
    std::string describeModules(uint32_t processId) override {
        return processId % 3 == 0 ? std::string() : "C:\\x\\m.dll\t1.0\n";
    }
    int calls = 0;
};

std::string details(uint32_t id) {
    FakeDetails fake;
    WindowTable windows;
    return processblocks::processDetailsText(id, fake, windows);
}

// The id a line names, read another way: the digits after the label,
// leading zeros dropped, at most ten of them and no more than 32 bits.
std::optional<uint32_t> referenceId(std::string_view line) {
    static constexpr std::string_view kLabel = "Process ID: ";
    if (line.substr(0, kLabel.size()) != kLabel) return std::nullopt;
    std::string_view digits = line.substr(kLabel.size());
    size_t count = 0;
    while (count < digits.size() && digits[count] >= '0' && digits[count] <= '9')
        ++count;
    digits = digits.substr(0, count);
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (const char c : digits)
        value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<uint32_t>(value);
}

// The id of the last task-list line of `text` that names one; every line's
// id must read the same both ways.
std::optional<uint32_t> lastId(std::string_view text) {
    std::optional<uint32_t> id;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        const std::optional<uint32_t> found = referenceId(line);
        require(processblocks::processIdOfLine(line) == found);
        if (found) id = found;
        at = end + 1;
    }
    return id;
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t stopAt = data[0];
    const std::string_view captured(reinterpret_cast<const char*>(data + 1), size - 1);

    FakeDetails fake;
    std::vector<std::string> blocks;
    std::string rebuilt;
    int callsBefore = 0;
    const bool finished = processblocks::assemble(captured, fake, [&](const std::string& block) {
        blocks.push_back(block);
        std::string_view text(block);
        const bool gotDetails = fake.calls > callsBefore;
        require(fake.calls <= callsBefore + 1);
        callsBefore = fake.calls;
        if (gotDetails) {
            // Its own id lines come before the details, which name none.
            const std::optional<uint32_t> id = lastId(text);
            require(id.has_value());
            const std::string tail = details(*id);
            require(endsWith(text, tail));
            text.remove_suffix(tail.size());
            require(lastId(text) == id);
        } else {
            require(!lastId(text).has_value());
        }
        rebuilt.append(text);
        return blocks.size() != stopAt;
    });

    require(finished == (stopAt == 0 || blocks.size() < stopAt));
    if (stopAt != 0) require(blocks.size() <= stopAt);
    if (!finished) return 0;

    std::string expected = processblocks::undoublePercent(captured);
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    require(rebuilt == expected);
    return 0;
}
