// The SMART attribute table on arbitrary attribute and threshold sectors.
// Input: how text is measured (one byte: characters times a factor, a
// measure that never grows, or one that grows by uneven steps), then the
// attribute sector and the threshold sector (short ones are padded with
// zeros). Besides the sanitizers' findings, a run fails when the table has
// another number of lines than attribute entries in use, when a line holds a
// tab or a carriage return or grows without bound, or when a raw value is
// not the decimal its id calls for.
#include "disk/smart_attributes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

TextWidth measure(std::uint8_t how) {
    switch (how % 4) {
    case 0:
        return [](std::string_view text) { return static_cast<int>(text.size()); };
    case 1:
        return
            [factor = 1 + how / 4](std::string_view text) { return static_cast<int>(text.size()) * factor; };
    case 2:
        return [](std::string_view) { return 0; };
    default:
        return [](std::string_view text) {
            int width = 0;
            for (const char c : text)
                width += 1 + static_cast<unsigned char>(c) % 7;
            return width;
        };
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::array<std::uint8_t, kSectorSize> attributes{};
    std::array<std::uint8_t, kSectorSize> thresholds{};
    const size_t rest = size - 1;
    std::copy_n(data + 1, std::min(rest, kSectorSize), attributes.begin());
    if (rest > kSectorSize)
        std::copy_n(data + 1 + kSectorSize, std::min(rest - kSectorSize, kSectorSize), thresholds.begin());

    const std::string table = formatAttributeTable(attributes, thresholds, measure(data[0]));

    size_t used = 0;
    for (size_t k = 0; k < kAttributeEntries; ++k) {
        const AttributeEntry entry(attributes.data() + 2 + k * kAttributeEntrySize, kAttributeEntrySize);
        if (entry[0] == 0) continue;
        ++used;
        const std::string raw = formatRawValue(entry);
        require(!raw.empty() && raw.size() <= 60);
        if (entry[0] != 3 && entry[0] != 194) {
            std::uint64_t value = 0;
            for (size_t i = 6; i-- > 0;)
                value = (value << 8) | entry[5 + i];
            require(raw == std::to_string(value));
        } else {
            require(raw.starts_with(std::to_string(entry[5])));
        }
    }
    size_t lines = 0;
    for (size_t at = 0; at < table.size(); ++lines) {
        const size_t end = table.find('\n', at);
        require(end != std::string::npos);
        const std::string_view line(table.data() + at, end - at);
        require(line.find_first_of("\t\r") == std::string_view::npos);
        require(line.size() <= 2000);
        at = end + 1;
    }
    require(lines == used + 1);
    return 0;
}
