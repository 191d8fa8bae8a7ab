// The process-block assembly on arbitrary captured task lists. The first
// byte names the block whose emit answers "stop" (0: none); the rest is the
// captured text. The details come from a fake whose windows and modules
// depend on the process id. Besides the sanitizers' findings, a run fails
// when a block's details are not those of the last process id in the block,
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

// The id of the last task-list line of `text` that names one.
std::optional<uint32_t> lastId(std::string_view text) {
    std::optional<uint32_t> id;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        if (const std::optional<uint32_t> found = processblocks::processIdOfLine(text.substr(at, end - at)))
            id = found;
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
