// The PC supplement block: its lines from known figures, and the whole block
// read from a registry of the test's own.
#include "collect/hardware_section.h"
#include "support/test_context.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kSep(75, '=');

SystemFigures knownFigures() {
    SystemFigures f;
    f.oemId = 0;
    f.processors = 2;
    f.pageSize = 4096;
    f.processorType = 586;
    f.activeProcessorMask = 3;
    f.minimumAddress = 0x10000;
    f.maximumAddress = 0x7ffeffff;
    return f;
}

const char* const kKnownFiguresText =
    "OEM ID: 0, Number of processors: 2, Page size: 4096\n"
    "Processor type: 586, Active processor mask: 3\n"
    "Minimum application address: 10000, Maximum application address: 7ffeffff\n";

std::optional<HardwareProfile> knownProfile() {
    return HardwareProfile{1, "{12345678-9abc-def0-1234-56789abcdef0}", "Profile 1 %s"};
}

std::optional<HardwareProfile> noProfile() {
    return std::nullopt;
}

TEST(PcSupplement, SystemFiguresAndHardwareProfileLines) {
    EXPECT_EQ(systemFiguresText(knownFigures()), kKnownFiguresText);
    EXPECT_EQ(hardwareProfileText(*knownProfile()),
              "DockInfo = 1, Profile Guid = {12345678-9abc-def0-1234-56789abcdef0}, (Profile 1 %s)\n");
}

// The machine's registry as a private key: the block reads below it what it
// reads below HKEY_LOCAL_MACHINE.
struct PcSupplementBlock : ::testing::Test {
    TestKey machine;
    TestContext context;
    std::string write(std::optional<HardwareProfile> (*profile)()) {
        PcSupplementSources sources;
        sources.machine = machine.handle();
        sources.systemInfo = knownFigures;
        sources.hardwareProfile = profile;
        EXPECT_TRUE(writePcSupplementSection(context, sources));
        return context.report;
    }
};

TEST_F(PcSupplementBlock, EveryLineFromTheRegistryAndTheSystem) {
    const std::string system = "HARDWARE\\DESCRIPTION\\System";
    machine.setString(system, "Identifier", "Caf\xe9 AT/AT COMPATIBLE");
    machine.setString(system, "SystemBiosDate", "01/02/08");
    const char versions[] = "BIOS one\0BIOS two\0";
    machine.setBytes(system, "SystemBiosVersion", REG_MULTI_SZ, versions, sizeof versions);
    machine.setString("SYSTEM\\Setup", "OsLoaderPath", "\\");
    // No SystemPartition: its label stands alone and the next line follows on.
    RegCloseKey(machine.create("HARDWARE\\ACPI\\DSDT\\VBOX__"));
    RegCloseKey(machine.create("HARDWARE\\ACPI\\RSDT\\OTHER"));
    const std::string cpu = system + "\\CentralProcessor\\0";
    machine.setString(cpu, "ProcessorNameString", "Test CPU 3000");
    machine.setString(cpu, "Identifier", "x86 Family 6 Model 15");
    machine.setString(cpu, "VendorIdentifier", "G"); // one character counts as none
    const DWORD mhz = 2400;
    machine.setBytes(cpu, "~MHz", REG_DWORD, &mhz, sizeof mhz);

    EXPECT_EQ(write(knownProfile), "\n" + kSep +
                                       "\nPC Supplement data:\n\n"
                                       "Hardware Identifier:        Caf\xe9 AT/AT COMPATIBLE\n"
                                       "System Bios Date:        01/02/08\n"
                                       "System Bios Version:        BIOS one\n"
                                       "Os LoaderPath:        \\\n"
                                       "System Partition:        "
                                       "DSDT Name:  VBOX__\n"
                                       "CPU NameString: Test CPU 3000\n"
                                       "CPU Identifier: x86 Family 6 Model 15\n"
                                       "CPU Speed: 2400 MHz\n" +
                                       kKnownFiguresText +
                                       "DockInfo = 1, Profile Guid = {12345678-9abc-def0-1234-56789abcdef0}, "
                                       "(Profile 1 %s)\n");
}

TEST_F(PcSupplementBlock, AnEmptyRegistryLeavesTheLabelsAndTheSystemLines) {
    // Without a processor speed, ACPI tables or a hardware profile.
    machine.setString("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "Identifier", "x86");
    EXPECT_EQ(write(noProfile),
              "\n" + kSep +
                  "\nPC Supplement data:\n\n"
                  "Hardware Identifier:        System Bios Date:        "
                  "System Bios Version:        Os LoaderPath:        System Partition:        "
                  "CPU Identifier: x86\n" +
                  kKnownFiguresText);
}

} // namespace
