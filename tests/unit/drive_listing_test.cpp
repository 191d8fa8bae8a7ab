// The texts made from IDENTIFY words: field extraction from device data, digit
// grouping, the drive listing and the identification block of a drive whose
// SMART could not be enabled.
#include "disk/drive_listing.h"
#include "support/fake_drives.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace {

// Word numbers of the fields.
constexpr std::size_t kSerial = 10, kFirmware = 23, kModel = 27;

std::string testName(const char* name) {
    std::string n = name;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

IdentifyBlock sampleDrive() {
    IdentifyBlock b{};
    b[0] = 1u << 6; // fixed
    b[1] = 16383;
    b[3] = 16;
    b[6] = 63;
    putIdentifyText(b, kSerial, 10, "5JV4XYZ1");
    b[21] = 4096; // 2 MB buffer
    putIdentifyText(b, kFirmware, 4, "3.AAE");
    putIdentifyText(b, kModel, 20, "ST380011A");
    b[60] = static_cast<std::uint16_t>(156301488u & 0xFFFF);
    b[61] = static_cast<std::uint16_t>(156301488u >> 16);
    return b;
}

TEST(IdentifyBlock, WordsAreLittleEndianPairsAndAShortSectorLeavesTheRestZero) {
    const std::uint8_t bytes[] = {0x34, 0x12, 0xCD, 0xAB, 0x99};
    const IdentifyBlock b = identifyBlockFromSector(bytes);
    EXPECT_EQ(b[0], 0x1234);
    EXPECT_EQ(b[1], 0xABCD);
    EXPECT_EQ(b[2], 0); // the odd last byte makes no word
    EXPECT_EQ(b[255], 0);
}

struct StringRow {
    const char* name;
    std::string words; // packed high byte first into words 27..46, no padding
    std::string trimmed;
};

void PrintTo(const StringRow& r, std::ostream* os) {
    *os << r.name;
}

const StringRow kStringRows[] = {
    {"trailing blanks go", "ST380011A" + std::string(31, ' '), "ST380011A"},
    {"leading blanks stay", "     WD-WMAJ91", "     WD-WMAJ91"},
    {"blanks inside stay", "IBM DTLA  307030", "IBM DTLA  307030"},
    {"all blanks keep the first", std::string(40, ' '), " "},
    {"zero byte ends early", std::string("MAXTOR\0 6L040J2", 15), "MAXTOR"},
    {"zero in the low byte", std::string("ABC\0DEF", 7), "ABC"},
    {"empty", std::string(40, '\0'), ""},
    {"percent signs are text", "100% %s%n%d disk", "100% %s%n%d disk"},
};

class IdentifyStrings : public testing::TestWithParam<StringRow> {};

TEST_P(IdentifyStrings, TrimOnlyTrailingBlanks) {
    const StringRow& r = GetParam();
    IdentifyBlock b{};
    putIdentifyText(b, kModel, 20, r.words, '\0');
    EXPECT_EQ(identifyString(b, kModel, kModel + 19), r.trimmed);
}

INSTANTIATE_TEST_SUITE_P(Rows, IdentifyStrings, testing::ValuesIn(kStringRows),
                         [](const auto& info) { return testName(info.param.name); });

TEST(IdentifyStrings, AFieldWithoutZeroBytesStopsAtItsLastWord) {
    // Every word of the block is text: nothing may run on into the next field.
    IdentifyBlock b{};
    putIdentifyText(b, 0, 256, std::string(512, 'Q'));
    EXPECT_EQ(identifyString(b, kFirmware, kFirmware + 3), std::string(8, 'Q'));
    EXPECT_EQ(identifyString(b, kSerial, kSerial + 9), std::string(20, 'Q'));
    EXPECT_EQ(identifyField(b, kModel, kModel + 19), std::string(40, 'Q'));
    // Word indices beyond the block are cut to it.
    EXPECT_EQ(identifyField(b, 250, 4000), std::string(12, 'Q'));
    EXPECT_EQ(identifyField(b, 300, 4000), "");
}

TEST(GroupDigits, GroupsOfThreeFromTheRight) {
    const std::pair<const char*, const char*> rows[] = {
        {"", ""},
        {"0", "0"},
        {"512", "512"},
        {"1000", "1.000"},
        {"100000", "100.000"},
        {"1048576", "1.048.576"},
        {"80026361856", "80.026.361.856"},
        {"9223372036854775807", "9.223.372.036.854.775.807"},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(groupDigits(in), out) << in;
}

TEST(SectorBytes, ExactBeyondSixtyFourBits) {
    const std::pair<std::uint64_t, const char*> rows[] = {
        {0, "0"},
        {1, "512"},
        {156301488, "80026361856"},
        {0xFFFF000000000000ull, "9444588850551214571520"},
        {~0ull, "9444732965739290426880"},
    };
    for (const auto& [sectors, bytes] : rows)
        EXPECT_EQ(sectorBytesDecimal(sectors), bytes) << sectors;
}

struct PlaceRow {
    unsigned drive;
    const char* opening;
};

TEST(DriveListing, ControllerAndRoleByDriveNumber) {
    const PlaceRow rows[] = {
        {0, "\nPrimary Controller - Master drive\n"},
        {1, "\nPrimary Controller - Slave drive\n"},
        {2, "\nSecondary Controller - Master drive\n"},
        {3, "\nSecondary Controller - Slave drive\n"},
        {4, "\nTertiary Controller - Master drive\n"},
        {5, "\nTertiary Controller - Slave drive\n"},
        {6, "\nQuaternary Controller - Master drive\n"},
        {7, "\nQuaternary Controller - Slave drive\n"},
        {8, "Master drive\n"},
        {9, "Slave drive\n"},
        {14, "Master drive\n"},
        {15, "Slave drive\n"},
    };
    for (const PlaceRow& r : rows) {
        const std::string text = driveListingText(r.drive, sampleDrive());
        EXPECT_EQ(text.substr(0, text.find('\t')), r.opening) << "drive " << r.drive;
    }
}

TEST(DriveListing, WholeListingOfAFixedDrive) {
    TestContext context;
    formatDriveListing(context, 2, sampleDrive());
    EXPECT_EQ(context.report, "\nSecondary Controller - Master drive\n"
                              "\tModel Number: ST380011A\n"
                              "\tSerial Number: 5JV4XYZ1\n"
                              "\tFirmware Revision Number: 3.AAE\n"
                              "\tBuffer Size on Drive: 2.097.152 bytes\n"
                              "\tType: Fixed\n"
                              "\tDrive Capacity: 80.026.361.856 bytes\n");
}

struct FieldRow {
    const char* name;
    void (*change)(IdentifyBlock&);
    const char* line; // the line that must appear
};

void PrintTo(const FieldRow& r, std::ostream* os) {
    *os << r.name;
}

const FieldRow kFieldRows[] = {
    {"removable", [](IdentifyBlock& b) { b[0] = 1u << 7; }, "\tType: Removable\n"},
    {"both removable bits", [](IdentifyBlock& b) { b[0] = (1u << 7) | (1u << 6); }, "\tType: Removable\n"},
    {"neither bit", [](IdentifyBlock& b) { b[0] = 0x0F3F; }, "\tType: Unknown\n"},
    {"no buffer", [](IdentifyBlock& b) { b[21] = 0; }, "\tBuffer Size on Drive: 0 bytes\n"},
    {"largest buffer", [](IdentifyBlock& b) { b[21] = 0xFFFF; },
     "\tBuffer Size on Drive: 33.553.920 bytes\n"},
    {"48-bit count wins when supported",
     [](IdentifyBlock& b) {
         b[83] = 1u << 10;
         b[100] = static_cast<std::uint16_t>(976773168u & 0xFFFF);
         b[101] = static_cast<std::uint16_t>(976773168u >> 16);
     },
     "\tDrive Capacity: 500.107.862.016 bytes\n"},
    {"48-bit count ignored without support",
     [](IdentifyBlock& b) {
         b[83] = 0x7BFF; // every bit but 10
         b[100] = 0xFFFF;
     },
     "\tDrive Capacity: 80.026.361.856 bytes\n"},
    {"28-bit count uses both words",
     [](IdentifyBlock& b) {
         b[60] = 0;
         b[61] = 0x0FFF;
     },
     "\tDrive Capacity: 137.405.399.040 bytes\n"},
    {"corrupt top word does not overflow",
     [](IdentifyBlock& b) {
         b[83] = 1u << 10;
         b[100] = b[101] = b[102] = 0;
         b[103] = 0xFFFF;
     },
     "\tDrive Capacity: 9.444.588.850.551.214.571.520 bytes\n"},
    {"percent in the model is text", [](IdentifyBlock& b) { putIdentifyText(b, kModel, 20, "%s%n%x 100%"); },
     "\tModel Number: %s%n%x 100%\n"},
};

class DriveListingFields : public testing::TestWithParam<FieldRow> {};

TEST_P(DriveListingFields, LineShowsTheWords) {
    IdentifyBlock b = sampleDrive();
    GetParam().change(b);
    const std::string text = driveListingText(0, b);
    EXPECT_NE(text.find(GetParam().line), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Rows, DriveListingFields, testing::ValuesIn(kFieldRows),
                         [](const auto& info) { return testName(info.param.name); });

TEST(Identification, AtaAndAtapiBlocksKeepTheFieldsUntrimmed) {
    IdentifyBlock b = sampleDrive();
    b[1] = 0xFFFF; // cylinders read as an unsigned word
    putIdentifyText(b, kSerial, 10, "  %d%s serial");
    const std::string fields = "\tModel number: ST380011A" + std::string(31, ' ') +
                               "\r\n"
                               "\tFirmware rev: 3.AAE   \r\n"
                               "\tSerial number:   %d%s serial" +
                               std::string(7, ' ') + "\r\n";
    DriveSet enabled;
    enabled.set(2);
    const std::string geometry = "\t#Cylinders: 65535, #Heads: 16, #Sectors per Track: 63\r\n";

    EXPECT_EQ(formatIdentification(2, b, 0xEC, enabled),
              "Drive 2 is an IDE Hard drive that supports SMART\r\n" + geometry + fields);
    EXPECT_EQ(formatIdentification(3, b, 0xEC, enabled),
              "Drive 3 is an IDE Hard drive\r\n" + geometry + fields);
    EXPECT_EQ(formatIdentification(1, b, 0xA1, enabled), "Drive 1 is an ATAPI device.\r\n" + fields);
}

} // namespace
