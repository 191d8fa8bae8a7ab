#include "process_blocks.h"

namespace processblocks {

std::optional<uint32_t> processIdOfLine(std::string_view line) {
    static constexpr std::string_view kLabel = "Process ID: ";
    if (line.size() <= kLabel.size() || line.substr(0, kLabel.size()) != kLabel) return std::nullopt;
    uint64_t id = 0;
    size_t at = kLabel.size();
    const size_t firstDigit = at;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
        id = id * 10 + static_cast<unsigned>(line[at] - '0');
        // Ids are 32-bit (on Windows 95 to ME they fill all 32 bits).
        if (id > 0xFFFFFFFFu) return std::nullopt;
    }
    if (at == firstDigit) return std::nullopt;
    return static_cast<uint32_t>(id);
}

std::string undoublePercent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return out;
}

std::string processDetailsText(uint32_t processId, ProcessDetails& details, WindowTable& windows) {
    std::string text;
    windows.reset(processId);
    details.collectWindows(windows);
    for (const WindowTable::Entry& window : windows.entries())
        text += "ID: " + std::to_string(window.handle) + " - Active window handle: " + window.text + "\n";
    text += std::to_string(windows.visible() + windows.hidden()) +
            " open window handles, visible: " + std::to_string(windows.visible()) +
            ", Not visible: " + std::to_string(windows.hidden()) + "\n";
    // Id 0 is the idle process of the NT family; to the module listing it
    // would mean this program itself.
    const std::string modules = processId == 0 ? std::string() : details.describeModules(processId);
    if (modules.size() > 1)
        text += "Loaded Modules for Process:\n" + modules;
    else
        text += "No Loaded Modules for process.\n";
    return text;
}

bool assemble(std::string_view captured, ProcessDetails& details,
              const std::function<bool(const std::string& block)>& emit) {
    WindowTable windows;
    std::string block;
    // The process whose lines the block holds (none before its id line).
    bool haveCurrent = false;
    uint32_t current = 0;
    size_t at = 0;
    while (at < captured.size()) {
        size_t end = captured.find('\n', at);
        if (end == std::string_view::npos) end = captured.size();
        const std::string line = undoublePercent(captured.substr(at, end - at));
        at = end + 1;

        block += line;
        if (const std::optional<uint32_t> id = processIdOfLine(line)) {
            haveCurrent = true;
            current = *id;
        }
        // The blank line that opens the next process closes this one.
        if (line.size() == 1 && haveCurrent) {
            block += processDetailsText(current, details, windows);
            const bool goOn = emit(block);
            block.clear();
            haveCurrent = false;
            if (!goOn) return false;
        }
        block += '\n';
    }
    if (haveCurrent) block += processDetailsText(current, details, windows);
    if (!block.empty()) return emit(block);
    return true;
}

} // namespace processblocks
