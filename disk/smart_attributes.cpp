#include "smart_attributes.h"

#include <algorithm>
#include <string_view>

namespace {

struct AttributeNameRow {
    std::uint8_t id;
    const char* name;
};

// Vendors reuse ids above 220 for the meanings of lower ones: the names say so,
// the raw values keep the plain decoding.
constexpr AttributeNameRow kAttributeNames[] = {
    {1, "raw read error rate"},
    {2, "throughput performance"},
    {3, "spin up time"},
    {4, "start stop count"},
    {5, "reallocated sector ct"},
    {6, "read channel margin"},
    {7, "seek error rate"},
    {8, "seek time performance"},
    {9, "power on hours"},
    {10, "spin retry count"},
    {11, "calibration retry count"},
    {12, "power cycle count"},
    {13, "read soft error rate"},
    {191, "g-sense error rate"},
    {192, "power-off retract count"},
    {193, "load cycle count"},
    {194, "temperature celsius"},
    {195, "hardware ecc recovered"},
    {196, "reallocated event count"},
    {197, "current pending sector"},
    {198, "offline uncorrectable"},
    {199, "udma crc error count"},
    {200, "write error count"},
    {201, "detected ta count"},
    {202, "ta increase count"},
    {203, "run out cancel"},
    {204, "shock count write open"},
    {205, "shock rate write open"},
    {206, "flying height"},
    {207, "spin high current"},
    {208, "spin buzz"},
    {209, "offline seek performnce"},
    {220, "disk shift"},
    {221, "g-sense error rate"},
    {222, "loaded hours"},
    {223, "load retry count"},
    {224, "load friction"},
    {225, "load cycle count"},
    {226, "load-in time"},
    {227, "torq-amp count"},
    {228, "power-off retract count"},
    {230, "head amplitude"},
    {231, "temperature celsius"},
    {240, "head flying hours"},
    {250, "read error retry rate"},
};

constexpr std::uint8_t kSpinUpTime = 3;
constexpr std::uint8_t kTemperature = 194;

// Entry fields.
constexpr std::size_t kId = 0, kCurrentValue = 3, kRaw = 5, kRawLength = 6;
constexpr std::size_t kThresholdValue = 1;
constexpr std::size_t kFirstEntry = 2;

// The header and the prefixes of it whose widths are the column stops: each
// ends a few characters into the next column's title.
constexpr std::string_view kHeader =
    "ATTRIBUTE NAME            /   ATTRIBUTE VALUE   /   THRESHOLD VALUE   /     RAW VALUE   \n";
constexpr std::size_t kStopPrefixes[] = {35, 56, 78};

// Filling measures the whole line once per blank; a measure that never grows
// (no font, no device context) must still end the line.
constexpr int kMaxFill = 500;

void fillTo(std::string& line, int stop, const TextWidth& width) {
    for (int blanks = 0; blanks < kMaxFill && width(line) <= stop; ++blanks)
        line.push_back(' ');
}

std::string withoutLeadingSpace(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    return start == std::string_view::npos ? std::string() : std::string(text.substr(start));
}

std::string withoutLineBreaks(std::string line) {
    std::erase_if(line, [](char c) { return c == '\t' || c == '\r' || c == '\n'; });
    return line;
}

} // namespace

const char* attributeName(std::uint8_t id) {
    const auto row = std::find_if(std::begin(kAttributeNames), std::end(kAttributeNames),
                                  [id](const AttributeNameRow& r) { return r.id == id; });
    return row == std::end(kAttributeNames) ? "unknown attribute" : row->name;
}

std::string formatRawValue(AttributeEntry entry) {
    const std::uint8_t* raw = entry.data() + kRaw;
    switch (entry[kId]) {
    case kSpinUpTime: {
        std::string text = std::to_string(raw[0]);
        if (raw[2] != 0) text += " (Average " + std::to_string(raw[2]) + ")";
        return text;
    }
    case kTemperature: {
        std::string text = std::to_string(raw[0]);
        if (std::any_of(raw + 1, raw + kRawLength, [](std::uint8_t b) { return b != 0; })) {
            const auto [low, high] = std::minmax(raw[2], raw[4]);
            text += " (Lifetime Min/Max " + std::to_string(low) + "/" + std::to_string(high) + ")";
        }
        return text;
    }
    default: {
        std::uint64_t value = 0;
        for (std::size_t i = kRawLength; i-- > 0;)
            value = (value << 8) | raw[i];
        return std::to_string(value);
    }
    }
}

std::string formatAttributeTable(std::span<const std::uint8_t, kSectorSize> attributes,
                                 std::span<const std::uint8_t, kSectorSize> thresholds,
                                 const TextWidth& width) {
    std::string text(kHeader);
    int stops[std::size(kStopPrefixes)];
    for (std::size_t i = 0; i < std::size(kStopPrefixes); ++i)
        stops[i] = width(kHeader.substr(0, kStopPrefixes[i]));

    for (std::size_t k = 0; k < kAttributeEntries; ++k) {
        const std::size_t offset = kFirstEntry + k * kAttributeEntrySize;
        const AttributeEntry entry = attributes.subspan(offset).first<kAttributeEntrySize>();
        if (entry[kId] == 0) continue;
        std::string line = withoutLeadingSpace(attributeName(entry[kId]));
        fillTo(line, stops[0], width);
        line += std::to_string(entry[kCurrentValue]);
        fillTo(line, stops[1], width);
        line += std::to_string(thresholds[offset + kThresholdValue]);
        fillTo(line, stops[2], width);
        line += formatRawValue(entry);
        text += withoutLineBreaks(std::move(line));
        text += '\n';
    }
    return text;
}
