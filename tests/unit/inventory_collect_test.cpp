// The inventory's sections: the facts-to-fields mapping, the WMI output
// parser, the uninstall list under a key of the test's own, and one
// collection of this machine checked against the same system calls.
#include "collect/hardware_section.h"
#include "inventory/inventory_collect.h"
#include "inventory/inventory_facts.h"
#include "inventory/uninstall_entries.h"
#include "inventory/wmi_inventory.h"
#include "runner/command_runner.h"
#include "support/test_context.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>

namespace {

using Fields = std::map<std::string, std::string>;

Fields fieldsOf(const InventorySection& section) {
    Fields fields;
    for (const InventoryField& field : section.fields())
        fields[field.name] = field.value;
    return fields;
}

std::vector<const InventorySection*> named(const std::vector<InventorySection>& sections, const char* name) {
    std::vector<const InventorySection*> found;
    for (const InventorySection& section : sections)
        if (section.name() == name) found.push_back(&section);
    return found;
}

TEST(InventoryFacts, HardwareFieldsOnlyForWhatWasRead) {
    HardwareFacts full;
    full.name = "PC-1";
    full.workgroup = "LAB";
    full.osName = "Windows XP Professional";
    full.osVersion = "5.1.2600";
    full.osComments = "Service Pack 2 (Build 2600)\n";
    full.processorType = "Pentium";
    full.processorMhz = 1800;
    full.processorCount = 2;
    full.memoryBytes = 512ull * 1024 * 1024 + 1000;
    full.swapBytes = 3ull * 1024 * 1024 * 1024;
    full.userId = "ann";
    full.ipAddress = "10.0.0.5";
    full.dns = "10.0.0.1";
    full.defaultGateway = "10.0.0.254";
    full.owner = "Ann";
    full.company = " ";
    full.productId = "55274-640";
    const Fields expected{{"NAME", "PC-1"},
                          {"WORKGROUP", "LAB"},
                          {"OSNAME", "Windows XP Professional"},
                          {"OSVERSION", "5.1.2600"},
                          {"OSCOMMENTS", "Service Pack 2 (Build 2600)"},
                          {"PROCESSORT", "Pentium"},
                          {"PROCESSORS", "1800"},
                          {"PROCESSORN", "2"},
                          {"MEMORY", "512"},
                          {"SWAP", "3072"},
                          {"USERID", "ann"},
                          {"IPADDR", "10.0.0.5"},
                          {"DNS", "10.0.0.1"},
                          {"DEFAULTGATEWAY", "10.0.0.254"},
                          {"WINOWNER", "Ann"},
                          {"WINPRODID", "55274-640"}};
    EXPECT_EQ(fieldsOf(hardwareSection(full)), expected);

    HardwareFacts sparse;
    sparse.name = "PC-2";
    sparse.processorMhz = 0;
    EXPECT_EQ(fieldsOf(hardwareSection(sparse)), (Fields{{"NAME", "PC-2"}}));
}

TEST(InventoryFacts, TextConversions) {
    EXPECT_EQ(osNameOf("OS: Windows XP Professional\n"), "Windows XP Professional");
    EXPECT_EQ(osNameOf("OS: Windows type\n"), "Windows type");
    EXPECT_EQ(osVersionOf(4, 10, 0x040A08AE), "4.10.2222");
    EXPECT_EQ(osVersionOf(5, 1, 2600), "5.1.2600");

    const struct {
        const char* in;
        const char* out;
    } dates[] = {
        {"20210315000000.000000+000", "03/15/2021"}, {"03/15/21", "03/15/21"}, {"2021", "2021"}, {"", ""}};
    for (const auto& d : dates)
        EXPECT_EQ(biosDateOf(d.in), d.out) << d.in;

    const struct {
        const char* address;
        const char* mask;
        const char* subnet;
    } subnets[] = {{"192.168.1.77", "255.255.255.0", "192.168.1.0"},
                   {"10.1.2.3", "255.0.0.0", "10.0.0.0"},
                   {"10.1.2.3", "", ""},
                   {"10.1.2.300", "255.0.0.0", ""},
                   {"10.1.2", "255.0.0.0", ""}};
    for (const auto& s : subnets)
        EXPECT_EQ(subnetOf(s.address, s.mask), s.subnet) << s.address << " " << s.mask;

    EXPECT_EQ(macAddressText({0x00, 0x0C, 0x29, 0xAB, 0xCD, 0xEF}), "00:0c:29:ab:cd:ef");
    EXPECT_EQ(macAddressText({}), "");
    EXPECT_EQ(memoryTypeName(20), "DDR");
    EXPECT_EQ(memoryTypeName(0), "");
    EXPECT_EQ(memoryTypeName(1000), "");
}

TEST(InventoryFacts, DrivesStoragesCpusAndMemory) {
    DriveFacts c;
    c.root = "C:\\";
    c.hasVolume = true;
    c.label = "SYSTEM";
    c.fileSystem = "NTFS";
    c.serial = 1234;
    c.totalBytes = 10ull * 1024 * 1024 * 1024;
    c.freeBytes = 1536ull * 1024 * 1024 + 5;
    c.driveType = 3;
    DriveFacts a;
    a.root = "A:\\";
    a.driveType = 2;
    const std::vector<InventorySection> drives = driveSections({c, a});
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(fieldsOf(drives[0]), (Fields{{"LETTER", "C:"},
                                           {"TYPE", "Hard Drive"},
                                           {"FILESYSTEM", "NTFS"},
                                           {"VOLUMN", "SYSTEM"},
                                           {"SERIAL", "1234"},
                                           {"TOTAL", "10240"},
                                           {"FREE", "1536"}}));
    EXPECT_EQ(fieldsOf(drives[1]), (Fields{{"LETTER", "A:"}, {"TYPE", "Removable Drive"}}));

    const std::vector<InventorySection> disks =
        storageSections({{"ST380011A", "  5JVQ1234", "3.06", 156301488}, {"", "", "", 0}});
    ASSERT_EQ(disks.size(), 1u);
    EXPECT_EQ(fieldsOf(disks[0]), (Fields{{"NAME", "ST380011A"},
                                          {"MODEL", "ST380011A"},
                                          {"SERIALNUMBER", "5JVQ1234"},
                                          {"FIRMWARE", "3.06"},
                                          {"DISKSIZE", "76319"}}));

    const std::vector<InventorySection> cpus =
        cpuSections({{"Intel(R) Pentium(R) 4", "x86 Family 15", "GenuineIntel", 2400},
                     {"", "x86 Family 6 Model 8", "AuthenticAMD", std::nullopt}});
    ASSERT_EQ(cpus.size(), 2u);
    EXPECT_EQ(
        fieldsOf(cpus[0]),
        (Fields{{"MANUFACTURER", "GenuineIntel"}, {"TYPE", "Intel(R) Pentium(R) 4"}, {"SPEED", "2400"}}));
    EXPECT_EQ(fieldsOf(cpus[1]),
              (Fields{{"MANUFACTURER", "AuthenticAMD"}, {"TYPE", "x86 Family 6 Model 8"}}));

    MemorySlot slot;
    slot.locator = "DIMM 1";
    slot.bank = "BANK 0";
    slot.capacityBytes = 536870912;
    slot.speed = 400;
    slot.type = 20;
    const std::vector<InventorySection> memories = memorySections({MemorySlot{}, slot});
    ASSERT_EQ(memories.size(), 1u);
    EXPECT_EQ(fieldsOf(memories[0]), (Fields{{"CAPTION", "DIMM 1"},
                                             {"DESCRIPTION", "BANK 0"},
                                             {"CAPACITY", "512"},
                                             {"TYPE", "DDR"},
                                             {"SPEED", "400"},
                                             {"NUMSLOTS", "2"}}));
}

TEST(InventoryFacts, OneNetworkElementPerAddress) {
    AdapterFacts lan;
    lan.description = "LAN card";
    lan.address = {0, 1, 2, 3, 4, 5};
    lan.ipAddress = "192.168.1.7";
    lan.ipMask = "255.255.255.0";
    lan.moreAddresses = {{"10.0.0.7", "255.0.0.0"}};
    lan.gateway = "192.168.1.1";
    lan.dhcpEnabled = true;
    lan.dhcpServer = "192.168.1.1";
    lan.type = 6;
    lan.operational = true;
    AdapterFacts idle;
    idle.description = "Idle";
    idle.ipAddress = "0.0.0.0";
    idle.ipMask = "0.0.0.0";
    idle.gateway = "";
    idle.dhcpEnabled = true;
    idle.dhcpServer = "255.255.255.255";
    idle.operational = false;
    const std::vector<InventorySection> networks = networkSections({lan, idle});
    ASSERT_EQ(networks.size(), 3u);
    EXPECT_EQ(fieldsOf(networks[0]), (Fields{{"DESCRIPTION", "LAN card"},
                                             {"TYPE", "Ethernet"},
                                             {"MACADDR", "00:01:02:03:04:05"},
                                             {"STATUS", "Up"},
                                             {"IPADDRESS", "192.168.1.7"},
                                             {"IPMASK", "255.255.255.0"},
                                             {"IPSUBNET", "192.168.1.0"},
                                             {"IPGATEWAY", "192.168.1.1"},
                                             {"IPDHCP", "192.168.1.1"}}));
    EXPECT_EQ(networks[1].valueOf("IPADDRESS"), "10.0.0.7");
    EXPECT_EQ(networks[1].valueOf("IPSUBNET"), "10.0.0.0");
    EXPECT_EQ(fieldsOf(networks[2]), (Fields{{"DESCRIPTION", "Idle"}, {"STATUS", "Down"}}));

    AdapterFacts loopback;
    loopback.ipAddress = "127.0.0.1";
    const std::vector<AdapterFacts> ordered{idle, loopback, lan};
    ASSERT_NE(primaryAdapter(ordered), nullptr);
    EXPECT_EQ(primaryAdapter(ordered)->description, "LAN card");
    EXPECT_EQ(primaryAdapter({idle, loopback}), nullptr);
}

TEST(InventoryFacts, SoftwareRowsAlwaysHaveANameAndSizeInBytes) {
    SoftwareEntry editor{"Alpha Editor", "Alpha Ltd", "3.7", "20240131", "C:\\Alpha", "", 2048};
    SoftwareEntry blank{"  ", "Nobody", "", "", "", "", std::nullopt};
    const std::vector<InventorySection> rows = softwareSections({editor, blank});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(fieldsOf(rows[0]), (Fields{{"NAME", "Alpha Editor"},
                                         {"PUBLISHER", "Alpha Ltd"},
                                         {"VERSION", "3.7"},
                                         {"INSTALLDATE", "20240131"},
                                         {"FOLDER", "C:\\Alpha"},
                                         {"FILESIZE", "2097152"}}));
}

TEST(InventoryWmi, ParsesRecordsAndMapsThem) {
    const std::string output = "Manufacturer: before any instance\n"
                               "[Win32_ComputerSystem]\n"
                               "Manufacturer: Contoso\n"
                               "Model: To Be Filled By O.E.M.\n"
                               "Domain: WORKGROUP\n"
                               "[Win32_BIOS]\n"
                               "Manufacturer: Phoenix\n"
                               "SerialNumber: SN-42\n"
                               "SMBIOSBIOSVersion: \n"
                               "Version: PHX - 1\n"
                               "ReleaseDate: 20200102000000.000000+000\n"
                               "[Win32_SystemEnclosure]\n"
                               "SMBIOSAssetTag: A-7\n"
                               "[Win32_PhysicalMemory]\n"
                               "Capacity: 1073741824\n"
                               "DeviceLocator: DIMM0\n"
                               "Speed: 667\n"
                               "MemoryType: 21\n"
                               "a second line of a value\n"
                               "[Win32_PhysicalMemory]\n"
                               "Capacity: not a number\n"
                               "DeviceLocator: DIMM1\n";
    const std::vector<WmiRecord> records = parseWmiRecords(output);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].valueOf("Manufacturer"), "Contoso");
    EXPECT_EQ(records[0].valueOf("Domain"), "WORKGROUP");
    EXPECT_EQ(records[1].valueOf("SMBIOSBIOSVersion"), "");

    const WmiInventory inventory = wmiInventoryFrom(records);
    EXPECT_EQ(inventory.domain, "WORKGROUP");
    EXPECT_EQ(fieldsOf(biosSection(inventory.bios)), (Fields{{"SMANUFACTURER", "Contoso"},
                                                             {"SSN", "SN-42"},
                                                             {"BMANUFACTURER", "Phoenix"},
                                                             {"BVERSION", "PHX - 1"},
                                                             {"BDATE", "01/02/2020"},
                                                             {"ASSETTAG", "A-7"}}));
    ASSERT_EQ(inventory.memory.size(), 2u);
    EXPECT_EQ(inventory.memory[0].capacityBytes, std::optional<uint64_t>(1073741824));
    EXPECT_EQ(inventory.memory[0].speed, std::optional<unsigned long>(667));
    EXPECT_EQ(inventory.memory[0].type, std::optional<unsigned long>(21));
    EXPECT_FALSE(inventory.memory[1].capacityBytes.has_value());
    EXPECT_EQ(inventory.memory[1].locator, "DIMM1");
    EXPECT_TRUE(wmiInventoryFrom(parseWmiRecords("")).memory.empty());
}

TEST(InventoryUninstall, ListsTheEntriesTheAppPathsReportLists) {
    TestKey key;
    key.setString("Uninstall\\A Full", "DisplayName", "Alpha Editor");
    key.setString("Uninstall\\A Full", "QuietDisplayName", "not used: the display name wins");
    key.setString("Uninstall\\A Full", "Publisher", "Alpha Ltd");
    key.setString("Uninstall\\A Full", "InstallDate", "20240131");
    key.setString("Uninstall\\A Full", "InstallLocation", "C:\\Alpha");
    const DWORD three = 3, seven = 7, size = 2048;
    key.setBytes("Uninstall\\A Full", "VersionMajor", REG_DWORD, &three, sizeof three);
    key.setBytes("Uninstall\\A Full", "VersionMinor", REG_DWORD, &seven, sizeof seven);
    key.setBytes("Uninstall\\A Full", "EstimatedSize", REG_DWORD, &size, sizeof size);
    key.setString("Uninstall\\B Quiet", "QuietDisplayName", "Quiet Tool");
    key.setString("Uninstall\\B Quiet", "DisplayVersion", "1.0 beta");
    key.setString("Uninstall\\C Nameless", "InstallDate", "20200101");
    key.setString("Uninstall\\D Empty", "DisplayName", "");
    key.setString("Uninstall\\D Empty", "QuietDisplayName", "not used: an empty display name lists nothing");
    key.setString("Uninstall\\E Long", "DisplayName", std::string(300, 'L'));

    const std::vector<SoftwareEntry> entries =
        uninstallEntries(HKEY_CURRENT_USER, (key.path() + "\\Uninstall").c_str());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Alpha Editor");
    EXPECT_EQ(entries[0].publisher, "Alpha Ltd");
    EXPECT_EQ(entries[0].version, "3.7");
    EXPECT_EQ(entries[0].installDate, "20240131");
    EXPECT_EQ(entries[0].folder, "C:\\Alpha");
    EXPECT_EQ(entries[0].sizeKilobytes, std::optional<uint64_t>(2048));
    EXPECT_EQ(entries[1].name, "Quiet Tool");
    EXPECT_EQ(entries[1].version, "1.0 beta");
    EXPECT_FALSE(entries[1].sizeKilobytes.has_value());
    EXPECT_EQ(entries[2].name, std::string(300, 'L'));

    EXPECT_TRUE(uninstallEntries(HKEY_CURRENT_USER, (key.path() + "\\Missing").c_str()).empty());
}

// One collection of this machine, checked against the calls the report makes.
TEST(InventoryCollect, AgreesWithTheSystemCalls) {
    TestContext context;
    context.commandRunner = std::make_unique<ProcessRunner>(context);
    const std::vector<InventorySection> sections = collectInventorySections(context);
    ASSERT_FALSE(sections.empty());
    EXPECT_EQ(sections.front().name(), "HARDWARE");
    const InventorySection& hardware = sections.front();

    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &length));
    EXPECT_EQ(hardware.valueOf("NAME"), name);
    MEMORYSTATUS memory{};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    EXPECT_EQ(hardware.valueOf("MEMORY"), std::to_string(memory.dwTotalPhys / (1024 * 1024)));
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    EXPECT_EQ(hardware.valueOf("PROCESSORN"), std::to_string(system.dwNumberOfProcessors));
    EXPECT_FALSE(hardware.valueOf("OSNAME").empty());
    EXPECT_EQ(hardware.valueOf("CHECKSUM"), "");

    const auto drives = named(sections, "DRIVES");
    const auto c = std::find_if(drives.begin(), drives.end(),
                                [](const InventorySection* d) { return d->valueOf("LETTER") == "C:"; });
    ASSERT_NE(c, drives.end());
    EXPECT_FALSE((*c)->valueOf("FILESYSTEM").empty());
    EXPECT_FALSE((*c)->valueOf("TOTAL").empty());

    EXPECT_EQ(named(sections, "CPUS").size(), system.dwNumberOfProcessors);
    EXPECT_EQ(named(sections, "SOFTWARES").size(), uninstallEntries(HKEY_LOCAL_MACHINE).size());
    // Under Wine the adapters come from the host; every one has an element.
    EXPECT_GE(named(sections, "NETWORKS").size(), systemAdapters().size());
    EXPECT_TRUE(context.report.empty());
}

} // namespace
