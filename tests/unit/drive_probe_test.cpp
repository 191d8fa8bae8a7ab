// The drive probe against scripted drives: which commands go out to which
// drive with which registers, what the report gets for every answer, the
// legacy port path with its priority, and the real probe on this system.
#include "disk/drive_probe.h"
#include "disk/ide_drives_section.h"
#include "support/fake_drives.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

const std::string kSectionHeader =
    "\n===========================================================================\nIDE drives installed:\n";
const char kTableHeader[] =
    "ATTRIBUTE NAME            /   ATTRIBUTE VALUE   /   THRESHOLD VALUE   /     RAW VALUE   \n";
const char kEnabled[] = "\nSelf Monitoring And Reporting Technology Enabled on Drive\n";

int monospace(std::string_view text) {
    return 6 * static_cast<int>(text.size());
}

IdentifyBlock sampleIdentity() {
    IdentifyBlock b{};
    b[0] = 1u << 6;
    b[1] = 16383;
    b[3] = 16;
    b[6] = 63;
    putIdentifyText(b, 10, 10, "  5JV4 %s%n");
    b[21] = 4096;
    putIdentifyText(b, 23, 4, "3.AAE");
    putIdentifyText(b, 27, 20, "ST380011A 100%");
    b[60] = static_cast<std::uint16_t>(156301488u & 0xFFFF);
    b[61] = static_cast<std::uint16_t>(156301488u >> 16);
    return b;
}

// One temperature attribute, threshold 10.
FakeDrive ataDrive(std::uint8_t deviceMap) {
    FakeDrive d;
    d.deviceMap = deviceMap;
    d.identity = sampleIdentity();
    std::uint8_t* e = d.attributes.data() + 2;
    e[0] = 194;
    e[3] = 62;
    e[5] = 38;
    e[7] = 45;
    e[9] = 20;
    d.thresholds[2] = 194;
    d.thresholds[3] = 10;
    return d;
}

std::string tableRow(const std::string& threshold) {
    std::string line = "temperature celsius";
    line.resize(36, ' ');
    line += "62";
    line.resize(57, ' ');
    line += threshold;
    line.resize(79, ' ');
    return line + "38 (Lifetime Min/Max 20/45)\n";
}

std::string driveName(unsigned d) {
    return "\\\\.\\PhysicalDrive" + std::to_string(d);
}

// A call as one line: control code, then for drive commands the declared data
// size, the eight registers, bDriveNumber and the input length; the output
// length and whether the drive accepted it.
std::string describe(const FakeDrives::Call& c) {
    char line[160];
    if (c.in.empty()) {
        std::snprintf(line, sizeof line, "%05lX out%u %s", c.code, static_cast<unsigned>(c.outLength),
                      c.succeeded ? "ok" : "fail");
        return line;
    }
    const auto& in = c.in;
    const unsigned size = in[0] | in[1] << 8 | in[2] << 16 | static_cast<unsigned>(in[3]) << 24;
    bool restZero = true;
    for (std::size_t i = 13; i < in.size(); ++i)
        restZero = restZero && in[i] == 0;
    std::snprintf(line, sizeof line,
                  "%05lX buf%u regs %02X %02X %02X %02X %02X %02X %02X %02X drive%u in%u%s out%u %s", c.code,
                  size, in[4], in[5], in[6], in[7], in[8], in[9], in[10], in[11], in[12],
                  static_cast<unsigned>(in.size()), restZero ? "" : " dirty",
                  static_cast<unsigned>(c.outLength), c.succeeded ? "ok" : "fail");
    return line;
}

void replaceAll(std::string& text, const std::string& marker, const std::string& with) {
    for (std::size_t at; (at = text.find(marker)) != std::string::npos;)
        text.replace(at, marker.size(), with);
}

struct ProbeRow {
    const char* name;
    unsigned drive;
    FakeDrive (*make)();
    std::vector<std::string> sent;
    // {listing}, {identification} and {table} / {table0} (thresholds 0) stand
    // for the texts their own tests check.
    std::string text;
};

void PrintTo(const ProbeRow& r, std::ostream* os) {
    *os << r.name;
}

const std::string kAtaDrive1Ok[] = {
    "74080 out24 ok",
    "7C088 buf512 regs 00 01 01 00 00 B0 EC 00 drive1 in32 out528 ok",
    "7C084 buf0 regs D8 01 01 4F C2 B0 B0 00 drive1 in32 out16 ok",
    "7C088 buf512 regs D0 01 01 4F C2 B0 B0 00 drive1 in32 out528 ok",
};

const ProbeRow kProbeRows[] = {
    {"AtaDriveWithSmart",
     1,
     [] { return ataDrive(0x02); },
     {kAtaDrive1Ok[0], kAtaDrive1Ok[1], kAtaDrive1Ok[2], kAtaDrive1Ok[3],
      "7C088 buf512 regs D1 01 01 4F C2 B0 B0 00 drive1 in32 out528 ok"},
     "{listing}" + std::string(kEnabled) + "{table}"},
    {"AtapiDriveIsListedWithoutSmart",
     2,
     [] {
         FakeDrive d = ataDrive(0x40);
         d.identifyCommand = 0xA1;
         return d;
     },
     {"74080 out24 ok", "7C088 buf512 regs 00 01 01 00 00 A0 A1 00 drive2 in32 out528 ok"},
     "{listing}"},
    {"AtapiDriveThatDoesNotIdentify",
     0,
     [] {
         FakeDrive d = ataDrive(0x10);
         d.identifyCommand = 0xA1;
         d.identifies = false;
         return d;
     },
     {"74080 out24 ok", "7C088 buf512 regs 00 01 01 00 00 A0 A1 00 drive0 in32 out528 fail"},
     ""},
    {"MapBitsNeverMakeDrive5Atapi",
     5,
     [] { return ataDrive(0xFF); },
     {"74080 out24 ok", "7C088 buf512 regs 00 01 01 00 00 B0 EC 00 drive5 in32 out528 ok",
      "7C084 buf0 regs D8 01 01 4F C2 B0 B0 00 drive5 in32 out16 ok",
      "7C088 buf512 regs D0 01 01 4F C2 B0 B0 00 drive5 in32 out528 ok",
      "7C088 buf512 regs D1 01 01 4F C2 B0 B0 00 drive5 in32 out528 ok"},
     "{listing}" + std::string(kEnabled) + "{table}"},
    {"SmartEnableFails",
     0,
     [] {
         FakeDrive d = ataDrive(0x01);
         d.enables = false;
         return d;
     },
     {"74080 out24 ok", "7C088 buf512 regs 00 01 01 00 00 A0 EC 00 drive0 in32 out528 ok",
      "7C084 buf0 regs D8 01 01 4F C2 A0 B0 00 drive0 in32 out16 fail",
      "7C088 buf512 regs 00 01 01 00 00 A0 EC 00 drive0 in32 out528 ok"},
     "{listing}Self Monitoring And Reporting Technology - Enable Command Failed\r\n{identification}"},
    {"SmartEnableAndIdentifyFail",
     3,
     [] {
         FakeDrive d = ataDrive(0x08);
         d.enables = false;
         d.identifies = false;
         return d;
     },
     {"74080 out24 ok", "7C088 buf512 regs 00 01 01 00 00 B0 EC 00 drive3 in32 out528 fail",
      "7C084 buf0 regs D8 01 01 4F C2 B0 B0 00 drive3 in32 out16 fail",
      "7C088 buf512 regs 00 01 01 00 00 B0 EC 00 drive3 in32 out528 fail"},
     "Self Monitoring And Reporting Technology - Enable Command Failed\r\nIdentify Command Failed on Drive: "
     "\n"},
    {"ThresholdReadFails",
     1,
     [] {
         FakeDrive d = ataDrive(0x02);
         d.readsThresholds = false;
         return d;
     },
     {kAtaDrive1Ok[0], kAtaDrive1Ok[1], kAtaDrive1Ok[2], kAtaDrive1Ok[3],
      "7C088 buf512 regs D1 01 01 4F C2 B0 B0 00 drive1 in32 out528 fail"},
     "{listing}" + std::string(kEnabled) +
         "\r\nSelf Monitoring And Reporting Technology Read Thresh Command Failed\r\n{table0}"},
    {"AttributeReadFails",
     1,
     [] {
         FakeDrive d = ataDrive(0x02);
         d.readsAttributes = false;
         return d;
     },
     {kAtaDrive1Ok[0], kAtaDrive1Ok[1], kAtaDrive1Ok[2],
      "7C088 buf512 regs D0 01 01 4F C2 B0 B0 00 drive1 in32 out528 fail"},
     "{listing}" + std::string(kEnabled) +
         "\nSelf Monitoring And Reporting Technology Read Attr Command Failed\n"},
    {"NoAnswerToTheVersionQuery",
     4,
     [] {
         FakeDrive d = ataDrive(0x01);
         d.answersVersion = false;
         return d;
     },
     {"74080 out24 fail"},
     ""},
    {"DeviceMapZeroStillTriesSmart",
     0,
     [] { return ataDrive(0x00); },
     {"74080 out24 ok", "7C084 buf0 regs D8 01 01 4F C2 A0 B0 00 drive0 in32 out16 ok",
      "7C088 buf512 regs D0 01 01 4F C2 A0 B0 00 drive0 in32 out528 ok",
      "7C088 buf512 regs D1 01 01 4F C2 A0 B0 00 drive0 in32 out528 ok"},
     std::string(kEnabled) + "{table}"},
    {"ListingIdentifyFailsSilently",
     2,
     [] {
         FakeDrive d = ataDrive(0x04);
         d.identifies = false;
         return d;
     },
     {"74080 out24 ok", "7C088 buf512 regs 00 01 01 00 00 A0 EC 00 drive2 in32 out528 fail",
      "7C084 buf0 regs D8 01 01 4F C2 A0 B0 00 drive2 in32 out16 ok",
      "7C088 buf512 regs D0 01 01 4F C2 A0 B0 00 drive2 in32 out528 ok",
      "7C088 buf512 regs D1 01 01 4F C2 A0 B0 00 drive2 in32 out528 ok"},
     std::string(kEnabled) + "{table}"},
};

class PhysicalDriveProbe : public testing::TestWithParam<ProbeRow> {};

TEST_P(PhysicalDriveProbe, CommandsAndReport) {
    const ProbeRow& r = GetParam();
    const FakeDrive drive = r.make();
    FakeDrives drives;
    drives.drives[driveName(r.drive)] = drive;
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    const bool listed = probe.probeDrives(VER_PLATFORM_WIN32_NT);

    // Every drive number is tried, in order, opened the same way.
    ASSERT_EQ(drives.opens.size(), 16u);
    for (unsigned d = 0; d < 16; ++d) {
        const DeviceOpenRequest& o = drives.opens[d];
        EXPECT_EQ(o.name, driveName(d));
        EXPECT_EQ(o.access, static_cast<unsigned long>(GENERIC_READ | GENERIC_WRITE));
        EXPECT_EQ(o.share, static_cast<unsigned long>(FILE_SHARE_READ | FILE_SHARE_WRITE));
        EXPECT_EQ(o.disposition, static_cast<unsigned long>(OPEN_EXISTING));
        EXPECT_EQ(o.flags, 0u);
    }
    EXPECT_EQ(drives.closes, std::vector<std::string>{driveName(r.drive)});
    EXPECT_TRUE(priority.classes.empty());

    std::vector<std::string> sent;
    for (const auto& c : drives.calls)
        sent.push_back(describe(c));
    EXPECT_EQ(sent, r.sent);

    std::string expected = r.text;
    const IdentifyBlock identity = sampleIdentity();
    replaceAll(expected, "{listing}", driveListingText(r.drive, identity));
    replaceAll(expected, "{identification}", formatIdentification(r.drive, identity, 0xEC, DriveSet{}));
    replaceAll(expected, "{table}", kTableHeader + tableRow("10"));
    replaceAll(expected, "{table0}", kTableHeader + tableRow("0"));
    EXPECT_EQ(context.report, expected);
    EXPECT_EQ(listed, r.text.starts_with("{listing}"));
}

INSTANTIATE_TEST_SUITE_P(Drives, PhysicalDriveProbe, testing::ValuesIn(kProbeRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PhysicalDriveProbe, SeveralDrivesInDriveOrderListingBeforeSmart) {
    FakeDrives drives;
    drives.drives[driveName(3)] = ataDrive(0x0B);
    drives.drives[driveName(3)].enables = false;
    drives.drives[driveName(0)] = ataDrive(0x0B);
    FakeDrive atapi = ataDrive(0x0B | 0x20);
    atapi.identifyCommand = 0xA1;
    drives.drives[driveName(1)] = atapi;
    drives.drives[driveName(9)] = ataDrive(0x00);
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    EXPECT_TRUE(probe.probePhysicalDrives());

    const IdentifyBlock id = sampleIdentity();
    const std::string table = kTableHeader + tableRow("10");
    EXPECT_EQ(context.report, driveListingText(0, id) + kEnabled + table + driveListingText(1, id) +
                                  driveListingText(3, id) +
                                  "Self Monitoring And Reporting Technology - Enable Command Failed\r\n" +
                                  formatIdentification(3, id, 0xEC, DriveSet{}) + kEnabled + table);
    EXPECT_EQ(context.report.find("that supports SMART"), std::string::npos);
    EXPECT_EQ(drives.closes.size(), 4u);
}

TEST(PhysicalDriveProbe, NothingListedWithoutIdentifiedDrives) {
    FakeDrives none;
    FakePriority priority;
    TestContext context;
    DriveProbe empty(context, none, priority, monospace);
    EXPECT_FALSE(empty.probePhysicalDrives());
    EXPECT_EQ(context.report, "");
    EXPECT_TRUE(none.calls.empty());
    EXPECT_TRUE(none.closes.empty());

    // A drive with SMART but no device map writes its table and still lists nothing.
    FakeDrives mapZero;
    mapZero.drives[driveName(0)] = ataDrive(0x00);
    DriveProbe probe(context, mapZero, priority, monospace);
    EXPECT_FALSE(probe.probePhysicalDrives());
    EXPECT_NE(context.report, "");
}

// --- the legacy port driver -------------------------------------------------

const char kLegacyDriver[] = "\\\\.\\INFO.TCT";

std::vector<std::uint8_t> legacyAnswer(std::initializer_list<int> controllers,
                                       std::initializer_list<std::pair<int, IdentifyBlock>> slots) {
    std::vector<std::uint8_t> a(4108, 0);
    for (int c : controllers)
        a[c] = 1;
    for (const auto& [slot, block] : slots) {
        a[4 + slot] = 1;
        const Sector s = sectorOf(block);
        std::copy(s.begin(), s.end(), a.begin() + 12 + 512 * slot);
    }
    return a;
}

IdentifyBlock otherIdentity() {
    IdentifyBlock b = sampleIdentity();
    putIdentifyText(b, 27, 20, "QUANTUM FIREBALL");
    b[0] = 1u << 7;
    return b;
}

std::vector<unsigned long> raisedAndRestored(int times) {
    std::vector<unsigned long> v;
    for (int i = 0; i < times; ++i) {
        v.push_back(REALTIME_PRIORITY_CLASS);
        v.push_back(NORMAL_PRIORITY_CLASS);
    }
    return v;
}

TEST(LegacyPortProbe, WithoutTheDriverTenAttemptsEachRaisingAndRestoringPriority) {
    FakeDrives drives;
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    EXPECT_FALSE(probe.probeDrives(VER_PLATFORM_WIN32_WINDOWS));

    EXPECT_EQ(context.report, "");
    EXPECT_EQ(priority.classes, raisedAndRestored(10));
    ASSERT_EQ(drives.opens.size(), 10u);
    for (const DeviceOpenRequest& o : drives.opens) {
        EXPECT_EQ(o.name, kLegacyDriver);
        EXPECT_EQ(o.access, 0u);
        EXPECT_EQ(o.share, 0u);
        EXPECT_EQ(o.disposition, 0u);
        EXPECT_EQ(o.flags, static_cast<unsigned long>(FILE_FLAG_DELETE_ON_CLOSE));
    }
}

TEST(LegacyPortProbe, ListsPresentSlotsOfPresentControllers) {
    FakeDrives drives;
    // Slot 5 sits on controller 2, which is absent; controller 3 has no drive.
    drives.legacy[kLegacyDriver].answers = {
        legacyAnswer({0, 1, 3}, {{0, sampleIdentity()}, {3, otherIdentity()}, {5, sampleIdentity()}})};
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    EXPECT_TRUE(probe.probeDrives(VER_PLATFORM_WIN32_WINDOWS));

    EXPECT_EQ(context.report, driveListingText(0, sampleIdentity()) + driveListingText(3, otherIdentity()));
    EXPECT_EQ(priority.classes, raisedAndRestored(1));
    ASSERT_EQ(drives.calls.size(), 1u);
    EXPECT_EQ(drives.calls[0].code, 1u);
    EXPECT_TRUE(drives.calls[0].in.empty());
    EXPECT_EQ(drives.calls[0].outLength, 4108u); // the whole block, so the driver cannot write past it
    EXPECT_EQ(drives.closes.size(), 1u);
}

TEST(LegacyPortProbe, AsksAgainUntilACallListsADrive) {
    FakeDrives drives;
    drives.legacy[kLegacyDriver].answers = {legacyAnswer({0}, {}), legacyAnswer({}, {{2, sampleIdentity()}}),
                                            legacyAnswer({1}, {{2, otherIdentity()}})};
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    EXPECT_TRUE(probe.probeDrives(VER_PLATFORM_WIN32_WINDOWS));

    EXPECT_EQ(context.report, driveListingText(2, otherIdentity()));
    EXPECT_EQ(drives.calls.size(), 3u);
    EXPECT_EQ(priority.classes, raisedAndRestored(3));
}

TEST(LegacyPortProbe, AFailedCallListsNothingWhateverItLeftInTheBlock) {
    FakeDrives drives;
    drives.legacy[kLegacyDriver].fails = true; // and fills the block with 0xEE
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    EXPECT_FALSE(probe.probeDrives(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(context.report, "");
    EXPECT_EQ(drives.calls.size(), 10u);
    EXPECT_EQ(drives.closes.size(), 10u);
}

TEST(LegacyPortProbe, PriorityThatCannotBeRaisedIsReportedAndTheProbeGoesOn) {
    FakeDrives drives;
    drives.legacy[kLegacyDriver].answers = {legacyAnswer({0}, {{1, sampleIdentity()}})};
    FakePriority priority;
    priority.realtimeError = 5;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    EXPECT_TRUE(probe.probeLegacyPorts());
    EXPECT_EQ(context.report,
              "\nERROR: Could not SetPriorityClass, LastError: 5\n" + driveListingText(1, sampleIdentity()));
    EXPECT_EQ(priority.classes, raisedAndRestored(1));
}

TEST(LegacyPortProbe, PriorityIsRestoredWhenTheDriverCallThrows) {
    FakeDrives drives;
    drives.legacy[kLegacyDriver].throws = true;
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    EXPECT_THROW(probe.probeLegacyPorts(), std::runtime_error);
    EXPECT_EQ(priority.classes, raisedAndRestored(1));
    EXPECT_EQ(drives.closes.size(), 1u);
}

// --- the section --------------------------------------------------------------

TEST(IdeDrivesSection, HeaderProbeAndClosingLineFeed) {
    FakeDrives drives;
    drives.drives[driveName(2)] = ataDrive(0x04);
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);

    writeIdeDrivesSection(context, probe, VER_PLATFORM_WIN32_NT);

    EXPECT_EQ(context.report, kSectionHeader + driveListingText(2, sampleIdentity()) + kEnabled +
                                  kTableHeader + tableRow("10") + "\n");
}

TEST(IdeDrivesSection, LegacyPlatformWithoutDriverLeavesTheSectionEmpty) {
    FakeDrives drives;
    FakePriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);
    writeIdeDrivesSection(context, probe, VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(context.report, kSectionHeader + "\n");
    EXPECT_EQ(drives.opens.size(), 10u);
}

// Wine answers no SMART request: the real probe, run for real, lists nothing.
TEST(IdeDrivesSection, RealProbeOnThisSystemListsNothing) {
    TestContext context;
    int measured = 0;
    writeIdeDrivesSection(context, [&measured](std::string_view t) {
        ++measured;
        return monospace(t);
    });
    EXPECT_EQ(context.report, kSectionHeader + "\n");
    EXPECT_EQ(measured, 0);
}

TEST(IdeDrivesSection, RealLegacyPathEndsAtNormalPriority) {
    SystemDriveControl drives;
    SystemProcessPriority priority;
    TestContext context;
    DriveProbe probe(context, drives, priority, monospace);
    EXPECT_FALSE(probe.probeDrives(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(context.report, "");
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

} // namespace
