#include "wmi_inventory.h"

#include "report/task_context.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"

#include <optional>

namespace {

struct ClassQuery {
    const char* className;
    std::vector<std::string> properties;
};

const ClassQuery kQueries[] = {
    {"Win32_ComputerSystem", {"Manufacturer", "Model", "Domain"}},
    {"Win32_BIOS", {"Manufacturer", "SerialNumber", "SMBIOSBIOSVersion", "Version", "ReleaseDate"}},
    {"Win32_BaseBoard", {"Manufacturer", "Product", "SerialNumber"}},
    {"Win32_SystemEnclosure", {"SMBIOSAssetTag"}},
    {"Win32_PhysicalMemory",
     {"Capacity", "DeviceLocator", "BankLabel", "Speed", "MemoryType", "SerialNumber"}},
};

std::optional<uint64_t> digits(const std::string& text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

const WmiRecord* firstOf(const std::vector<WmiRecord>& records, std::string_view className) {
    for (const WmiRecord& record : records)
        if (record.className == className) return &record;
    return nullptr;
}

std::string valueOf(const WmiRecord* record, std::string_view property) {
    return record == nullptr ? std::string() : record->valueOf(property);
}

// Placeholders some firmware fills its fields with.
std::string unlessPlaceholder(const std::string& value) {
    static const char* const kPlaceholders[] = {"To Be Filled By O.E.M.", "To be filled by O.E.M.",
                                                "Default string", "None"};
    for (const char* placeholder : kPlaceholders)
        if (value == placeholder) return {};
    return value;
}

std::string withoutDoubledPercent(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return out;
}

} // namespace

std::string WmiRecord::valueOf(std::string_view property) const {
    for (const auto& [name, value] : values)
        if (name == property) return value;
    return {};
}

std::vector<std::string> inventoryScriptLines() {
    std::vector<std::string> lines;
    auto add = [&lines](const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
    };
    for (const ClassQuery& query : kQueries) {
        WmiBlock block;
        block.className = query.className;
        std::vector<WmiItem> items;
        for (const std::string& property : query.properties)
            items.push_back(WmiItem{WmiItem::Label, property, property, "", ""});
        add(headerLines(block));
        add(queryLines(block));
        // A bare echo prints nothing under some script hosts: each instance
        // opens with its class line instead.
        lines.push_back("    Wscript.Echo \"[" + std::string(query.className) + "]\"");
        add(itemLines(block, items));
        lines.push_back("Next");
    }
    return lines;
}

std::vector<WmiRecord> parseWmiRecords(std::string_view output) {
    std::vector<WmiRecord> records;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string_view::npos) end = output.size();
        std::string_view line = output.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            records.push_back(WmiRecord{std::string(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        const size_t colon = line.find(": ");
        // A line before the first instance, or the rest of a value that held
        // a line break, is no property.
        if (colon == std::string_view::npos || records.empty()) continue;
        const std::string_view name = line.substr(0, colon);
        if (name.empty() || name.find(' ') != std::string_view::npos) continue;
        records.back().values.emplace_back(std::string(name), std::string(line.substr(colon + 2)));
    }
    return records;
}

WmiInventory wmiInventoryFrom(const std::vector<WmiRecord>& records) {
    WmiInventory inventory;
    const WmiRecord* system = firstOf(records, "Win32_ComputerSystem");
    const WmiRecord* bios = firstOf(records, "Win32_BIOS");
    const WmiRecord* board = firstOf(records, "Win32_BaseBoard");
    const WmiRecord* enclosure = firstOf(records, "Win32_SystemEnclosure");
    BiosFacts& b = inventory.bios;
    b.systemMaker = unlessPlaceholder(valueOf(system, "Manufacturer"));
    b.systemModel = unlessPlaceholder(valueOf(system, "Model"));
    b.systemSerial = unlessPlaceholder(valueOf(bios, "SerialNumber"));
    b.biosMaker = unlessPlaceholder(valueOf(bios, "Manufacturer"));
    b.biosVersion = valueOf(bios, "SMBIOSBIOSVersion");
    if (b.biosVersion.empty()) b.biosVersion = valueOf(bios, "Version");
    b.biosDate = biosDateOf(valueOf(bios, "ReleaseDate"));
    b.assetTag = unlessPlaceholder(valueOf(enclosure, "SMBIOSAssetTag"));
    b.boardMaker = unlessPlaceholder(valueOf(board, "Manufacturer"));
    b.boardModel = unlessPlaceholder(valueOf(board, "Product"));
    b.boardSerial = unlessPlaceholder(valueOf(board, "SerialNumber"));
    inventory.domain = valueOf(system, "Domain");
    for (const WmiRecord& record : records) {
        if (record.className != "Win32_PhysicalMemory") continue;
        MemorySlot slot;
        slot.locator = record.valueOf("DeviceLocator");
        slot.bank = record.valueOf("BankLabel");
        slot.serial = unlessPlaceholder(record.valueOf("SerialNumber"));
        slot.capacityBytes = digits(record.valueOf("Capacity"));
        if (const auto speed = digits(record.valueOf("Speed")))
            slot.speed = static_cast<unsigned long>(*speed);
        if (const auto type = digits(record.valueOf("MemoryType")))
            slot.type = static_cast<unsigned long>(*type);
        inventory.memory.push_back(std::move(slot));
    }
    return inventory;
}

WmiInventory queryWmiInventory(TaskContext& context) {
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    RunHolder holder;
    if (appendLines(script, inventoryScriptLines()))
        context.runner().run(script.text(), RunMode::ScriptCapture, false, &holder);
    script.clear();
    return wmiInventoryFrom(parseWmiRecords(withoutDoubledPercent(holder.captureText)));
}
