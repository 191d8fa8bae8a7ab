// The SMART attribute table: names by id, raw-value decoding, and columns that
// start past stops measured in pixels (with measures of the tests' own: one
// where every character is as wide as the next, one where blanks are narrow,
// one where the names are wider than a stop, one that never grows).
#include "disk/smart_attributes.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Raw = std::array<std::uint8_t, 6>;

void putEntry(Sector& s, std::size_t k, std::uint8_t id, std::uint8_t current, const Raw& raw) {
    std::uint8_t* e = s.data() + 2 + 12 * k;
    e[0] = id;
    e[1] = 0x33; // status flags, not shown
    e[2] = 0x00;
    e[3] = current;
    e[4] = 1; // worst, not shown
    for (std::size_t i = 0; i < raw.size(); ++i)
        e[5 + i] = raw[i];
    e[11] = 0xFF; // reserved, never part of the raw value
}

void putThreshold(Sector& s, std::size_t k, std::uint8_t id, std::uint8_t value) {
    s[2 + 12 * k] = id;
    s[2 + 12 * k + 1] = value;
}

std::array<std::uint8_t, 12> entry(std::uint8_t id, const Raw& raw) {
    Sector s{};
    putEntry(s, 0, id, 100, raw);
    std::array<std::uint8_t, 12> e{};
    std::copy_n(s.begin() + 2, 12, e.begin());
    return e;
}

const std::string kHeader =
    "ATTRIBUTE NAME            /   ATTRIBUTE VALUE   /   THRESHOLD VALUE   /     RAW VALUE   \n";

// Six pixels for every character: the stops fall after characters 35, 56 and
// 78, so the columns start at characters 36, 57 and 79.
int monospace(std::string_view text) {
    return 6 * static_cast<int>(text.size());
}

std::string padTo(std::string text, std::size_t column) {
    if (text.size() < column) text.resize(column, ' ');
    return text;
}

std::string row(const std::string& name, const std::string& value, const std::string& threshold,
                const std::string& raw) {
    return padTo(padTo(padTo(name, 36) + value, 57) + threshold, 79) + raw + "\n";
}

struct RawRow {
    const char* name;
    std::uint8_t id;
    Raw raw;
    const char* text;
};

void PrintTo(const RawRow& r, std::ostream* os) {
    *os << r.name;
}

const RawRow kRawRows[] = {
    {"temperature alone", 194, {38, 0, 0, 0, 0, 0}, "38"},
    {"temperature with range", 194, {38, 0, 45, 0, 20, 0}, "38 (Lifetime Min/Max 20/45)"},
    {"temperature range ordered", 194, {38, 0, 20, 0, 45, 0}, "38 (Lifetime Min/Max 20/45)"},
    {"temperature any upper byte opens the range", 194, {38, 0, 0, 0, 0, 7}, "38 (Lifetime Min/Max 0/0)"},
    {"temperature byte 6 too", 194, {38, 9, 0, 0, 0, 0}, "38 (Lifetime Min/Max 0/0)"},
    {"temperature bytes unsigned", 194, {200, 0, 250, 0, 130, 0}, "200 (Lifetime Min/Max 130/250)"},
    {"spin up alone", 3, {150, 0, 0, 0, 0, 0}, "150"},
    {"spin up with average", 3, {150, 0, 99, 0, 0, 0}, "150 (Average 99)"},
    {"spin up ignores other bytes", 3, {150, 77, 0, 66, 55, 44}, "150"},
    {"second temperature id is a count", 231, {38, 0, 45, 0, 20, 0}, "85902295078"},
    {"little endian 48 bits", 5, {1, 2, 3, 4, 5, 6}, "6618611909121"},
    {"all 48 bits", 9, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "281474976710655"},
    {"zero", 9, {0, 0, 0, 0, 0, 0}, "0"},
    {"unknown id plain", 14, {0, 1, 0, 0, 0, 0}, "256"},
};

class RawValues : public testing::TestWithParam<RawRow> {};

TEST_P(RawValues, Decoded) {
    const auto e = entry(GetParam().id, GetParam().raw);
    EXPECT_EQ(formatRawValue(AttributeEntry(e)), GetParam().text);
}

std::string testName(const char* name) {
    std::string n = name;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Rows, RawValues, testing::ValuesIn(kRawRows),
                         [](const auto& info) { return testName(info.param.name); });

TEST(AttributeNames, NamedIdsAndTheGapsBetweenThem) {
    const std::pair<int, const char*> rows[] = {
        {0, "unknown attribute"},     {1, "raw read error rate"},
        {13, "read soft error rate"}, {14, "unknown attribute"},
        {190, "unknown attribute"},   {191, "g-sense error rate"},
        {194, "temperature celsius"}, {209, "offline seek performnce"},
        {210, "unknown attribute"},   {219, "unknown attribute"},
        {220, "disk shift"},          {221, "g-sense error rate"},
        {225, "load cycle count"},    {228, "power-off retract count"},
        {229, "unknown attribute"},   {230, "head amplitude"},
        {231, "temperature celsius"}, {232, "unknown attribute"},
        {240, "head flying hours"},   {250, "read error retry rate"},
        {255, "unknown attribute"},
    };
    for (const auto& [id, name] : rows)
        EXPECT_STREQ(attributeName(static_cast<std::uint8_t>(id)), name) << id;
}

TEST(AttributeTable, EmptySectorsGiveTheHeaderAlone) {
    const Sector none{};
    EXPECT_EQ(formatAttributeTable(none, none, monospace), kHeader);
}

TEST(AttributeTable, StopsAreMeasuredOnTheHeaderPrefixes) {
    std::vector<std::string> measured;
    const TextWidth recording = [&measured](std::string_view t) {
        measured.emplace_back(t);
        return monospace(t);
    };
    const Sector none{};
    formatAttributeTable(none, none, recording);
    ASSERT_EQ(measured.size(), 3u);
    EXPECT_EQ(measured[0], "ATTRIBUTE NAME            /   ATTRI");
    EXPECT_EQ(measured[1], "ATTRIBUTE NAME            /   ATTRIBUTE VALUE   /   THRE");
    EXPECT_EQ(measured[2], "ATTRIBUTE NAME            /   ATTRIBUTE VALUE   /   THRESHOLD VALUE   /     RA");
}

TEST(AttributeTable, LinesInEntryOrderThresholdsByPosition) {
    Sector attributes{}, thresholds{};
    putEntry(attributes, 0, 9, 99, {0xD2, 0x04, 0, 0, 0, 0});
    putEntry(attributes, 2, 194, 62, {38, 0, 45, 0, 20, 0}); // entry 1 is empty
    putEntry(attributes, 29, 250, 100, {0, 0, 0, 0, 0, 0});
    putThreshold(thresholds, 0, 1, 0);   // threshold ids are not compared
    putThreshold(thresholds, 1, 5, 140); // belongs to the empty entry
    putThreshold(thresholds, 2, 194, 255);
    putThreshold(thresholds, 29, 250, 51);
    // A 31st entry lies past the table.
    attributes[2 + 12 * 30] = 5;
    attributes[2 + 12 * 30 + 3] = 100;

    EXPECT_EQ(formatAttributeTable(attributes, thresholds, monospace),
              kHeader + row("power on hours", "99", "0", "1234") +
                  row("temperature celsius", "62", "255", "38 (Lifetime Min/Max 20/45)") +
                  row("read error retry rate", "100", "51", "0"));
}

TEST(AttributeTable, BlanksFillToPixelStopsNotCharacterColumns) {
    // Blanks 1 pixel, everything else 10: the stops are 206, 353 and 492 pixels.
    // "power on hours" is 122 pixels and needs 85 blanks to pass 206; with "100"
    // the line reaches 237 and needs 117 more to pass 353; with "0", 364 and 129.
    const TextWidth narrowBlanks = [](std::string_view t) {
        int w = 0;
        for (char c : t)
            w += c == ' ' ? 1 : 10;
        return w;
    };
    Sector attributes{}, thresholds{};
    putEntry(attributes, 0, 9, 100, {0xD2, 0x04, 0, 0, 0, 0});
    const std::string expected = std::string("power on hours") + std::string(85, ' ') + "100" +
                                 std::string(117, ' ') + "0" + std::string(129, ' ') + "1234\n";
    EXPECT_EQ(formatAttributeTable(attributes, thresholds, narrowBlanks), kHeader + expected);
}

TEST(AttributeTable, ColumnsWiderThanTheirStopGetNoBlank) {
    // Lower case and digits 100 pixels, the rest 1: every name and number is
    // past every stop (the header is upper case).
    const TextWidth wideLowerCase = [](std::string_view t) {
        int w = 0;
        for (char c : t)
            w += (std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)))
                     ? 100
                     : 1;
        return w;
    };
    Sector attributes{}, thresholds{};
    putEntry(attributes, 0, 9, 100, {0xD2, 0x04, 0, 0, 0, 0});
    putThreshold(thresholds, 0, 9, 20);
    EXPECT_EQ(formatAttributeTable(attributes, thresholds, wideLowerCase),
              kHeader + std::string("power on hours100201234\n"));
}

TEST(AttributeTable, AMeasureThatNeverGrowsStillEndsEachLine) {
    const TextWidth nothing = [](std::string_view) { return 0; };
    Sector attributes{}, thresholds{};
    putEntry(attributes, 0, 3, 7, {5, 0, 0, 0, 0, 0});
    const std::string blanks(500, ' ');
    EXPECT_EQ(formatAttributeTable(attributes, thresholds, nothing),
              kHeader + "spin up time" + blanks + "7" + blanks + "0" + blanks + "5\n");
}

} // namespace
