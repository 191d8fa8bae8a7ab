// What this machine tells of itself, in the shape the inventory server keeps
// it: the facts the report's readers return, turned into sections. Nothing
// here asks the system; a fact that was not read gives no field.
#pragma once

#include "collect/hardware_section.h"
#include "collect/network_section.h"
#include "disk/drive_listing.h"
#include "inventory_document.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HardwareFacts {
    std::string name;
    std::string workgroup;
    std::string osName;
    std::string osVersion;
    std::string osComments;
    std::string processorType;
    std::optional<unsigned long> processorMhz;
    std::optional<unsigned long> processorCount;
    std::optional<uint64_t> memoryBytes;
    std::optional<uint64_t> swapBytes;
    std::string userId;
    std::string ipAddress;
    std::string dns;
    std::string defaultGateway;
    std::string owner;
    std::string company;
    std::string productId;
};
InventorySection hardwareSection(const HardwareFacts& facts);

// The report's edition line without its label and line end:
// "OS: Windows XP Professional\n" gives "Windows XP Professional".
std::string osNameOf(const std::string& editionLine);
// "5.1.2600": the build in its low 16 bits, as the report shows it.
std::string osVersionOf(unsigned long major, unsigned long minor, unsigned long build);

struct BiosFacts {
    std::string systemMaker;
    std::string systemModel;
    std::string systemSerial;
    std::string biosMaker;
    std::string biosVersion;
    std::string biosDate;
    std::string assetTag;
    std::string boardMaker;
    std::string boardModel;
    std::string boardSerial;
};
InventorySection biosSection(const BiosFacts& facts);
// A WMI date ("20210315000000.000000+000") as "03/15/2021"; any other text as it is.
std::string biosDateOf(const std::string& wmiDate);

std::vector<InventorySection> cpuSections(const std::vector<ProcessorFacts>& processors);

struct MemorySlot {
    std::string locator;
    std::string bank;
    std::string serial;
    std::optional<uint64_t> capacityBytes;
    std::optional<unsigned long> speed;
    std::optional<unsigned long> type; // Win32_PhysicalMemory.MemoryType
};
std::vector<InventorySection> memorySections(const std::vector<MemorySlot>& slots);
// Empty for "unknown" and "other" and for codes the class does not define.
std::string memoryTypeName(unsigned long type);

std::vector<InventorySection> driveSections(const std::vector<DriveFacts>& drives);
// Empty for a type the server has no word for (unknown, invalid path).
std::string driveTypeName(unsigned int driveType);

std::vector<InventorySection> storageSections(const std::vector<DriveIdentity>& disks);

// One section per address of every adapter.
std::vector<InventorySection> networkSections(const std::vector<AdapterFacts>& adapters);
// "00:0c:29:ab:cd:ef"; empty for an adapter without a hardware address.
std::string macAddressText(const std::vector<uint8_t>& address);
// The IP helper's word for "none": empty, or all zeros.
bool addressIsSet(const std::string& address);
// address AND mask in dotted form; empty when either is not an IPv4 address.
std::string subnetOf(const std::string& address, const std::string& mask);
// The adapter the machine is reached at: the first with an address set that
// is not a loopback address; none when no adapter has one.
const AdapterFacts* primaryAdapter(const std::vector<AdapterFacts>& adapters);

struct SoftwareEntry {
    std::string name;
    std::string publisher;
    std::string version;
    std::string installDate;
    std::string folder;
    std::string comments;
    std::optional<uint64_t> sizeKilobytes;
};
std::vector<InventorySection> softwareSections(const std::vector<SoftwareEntry>& entries);
