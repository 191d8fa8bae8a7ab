#include "inventory_facts.h"

#include <array>
#include <cstdio>

namespace {

constexpr uint64_t kMegabyte = 1024 * 1024;

void megabytes(InventorySection& section, const char* name, const std::optional<uint64_t>& bytes) {
    if (bytes) section.number(name, *bytes / kMegabyte);
}

std::optional<std::array<unsigned, 4>> ipv4(const std::string& text) {
    std::array<unsigned, 4> parts{};
    size_t at = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
        size_t digits = 0;
        unsigned value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > 255) return std::nullopt;
        parts[i] = value;
    }
    if (at != text.size()) return std::nullopt;
    return parts;
}

// The interface types the IP helper names most often.
std::string interfaceTypeName(unsigned long type) {
    switch (type) {
    case 6:
        return "Ethernet";
    case 9:
        return "Token Ring";
    case 15:
        return "FDDI";
    case 23:
        return "PPP";
    case 24:
        return "Loopback";
    case 28:
        return "SLIP";
    case 71:
        return "Wireless";
    default:
        return "";
    }
}

} // namespace

InventorySection hardwareSection(const HardwareFacts& f) {
    InventorySection s("HARDWARE");
    s.text("NAME", f.name);
    s.text("WORKGROUP", f.workgroup);
    s.text("OSNAME", f.osName);
    s.text("OSVERSION", f.osVersion);
    s.text("OSCOMMENTS", f.osComments);
    s.text("PROCESSORT", f.processorType);
    if (f.processorMhz && *f.processorMhz != 0) s.number("PROCESSORS", *f.processorMhz);
    if (f.processorCount && *f.processorCount != 0) s.number("PROCESSORN", *f.processorCount);
    megabytes(s, "MEMORY", f.memoryBytes);
    megabytes(s, "SWAP", f.swapBytes);
    s.text("USERID", f.userId);
    s.text("IPADDR", f.ipAddress);
    s.text("DNS", f.dns);
    s.text("DEFAULTGATEWAY", f.defaultGateway);
    s.text("WINOWNER", f.owner);
    s.text("WINCOMPANY", f.company);
    s.text("WINPRODID", f.productId);
    return s;
}

std::string osNameOf(const std::string& editionLine) {
    std::string name = editionLine;
    if (name.rfind("OS: ", 0) == 0) name.erase(0, 4);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
        name.pop_back();
    return name;
}

std::string osVersionOf(unsigned long major, unsigned long minor, unsigned long build) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build & 0xFFFFu);
}

InventorySection biosSection(const BiosFacts& f) {
    InventorySection s("BIOS");
    s.text("SMANUFACTURER", f.systemMaker);
    s.text("SMODEL", f.systemModel);
    s.text("SSN", f.systemSerial);
    s.text("BMANUFACTURER", f.biosMaker);
    s.text("BVERSION", f.biosVersion);
    s.text("BDATE", f.biosDate);
    s.text("ASSETTAG", f.assetTag);
    s.text("MMANUFACTURER", f.boardMaker);
    s.text("MMODEL", f.boardModel);
    s.text("MSN", f.boardSerial);
    return s;
}

std::string biosDateOf(const std::string& wmiDate) {
    if (wmiDate.size() < 8) return wmiDate;
    for (size_t i = 0; i < 8; ++i)
        if (wmiDate[i] < '0' || wmiDate[i] > '9') return wmiDate;
    return wmiDate.substr(4, 2) + "/" + wmiDate.substr(6, 2) + "/" + wmiDate.substr(0, 4);
}

std::vector<InventorySection> cpuSections(const std::vector<ProcessorFacts>& processors) {
    std::vector<InventorySection> sections;
    for (const ProcessorFacts& cpu : processors) {
        InventorySection s("CPUS");
        s.text("MANUFACTURER", cpu.vendor);
        s.text("TYPE", cpu.name.empty() ? cpu.identifier : cpu.name);
        if (cpu.mhz && *cpu.mhz != 0) s.number("SPEED", *cpu.mhz);
        if (!s.empty()) sections.push_back(std::move(s));
    }
    return sections;
}

std::string memoryTypeName(unsigned long type) {
    static const char* const kNames[] = {"",           "",       "DRAM",         "Synchronous DRAM",
                                         "Cache DRAM", "EDO",    "EDRAM",        "VRAM",
                                         "SRAM",       "RAM",    "ROM",          "Flash",
                                         "EEPROM",     "FEPROM", "EPROM",        "CDRAM",
                                         "3DRAM",      "SDRAM",  "SGRAM",        "RDRAM",
                                         "DDR",        "DDR2",   "DDR2 FB-DIMM", "",
                                         "DDR3",       "FBD2"};
    return type < std::size(kNames) ? kNames[type] : "";
}

std::vector<InventorySection> memorySections(const std::vector<MemorySlot>& slots) {
    std::vector<InventorySection> sections;
    for (size_t i = 0; i < slots.size(); ++i) {
        const MemorySlot& slot = slots[i];
        InventorySection s("MEMORIES");
        s.text("CAPTION", slot.locator);
        s.text("DESCRIPTION", slot.bank);
        megabytes(s, "CAPACITY", slot.capacityBytes);
        if (slot.type) s.text("TYPE", memoryTypeName(*slot.type));
        if (slot.speed && *slot.speed != 0) s.number("SPEED", *slot.speed);
        s.text("SERIALNUMBER", slot.serial);
        if (s.empty()) continue;
        s.number("NUMSLOTS", i + 1);
        sections.push_back(std::move(s));
    }
    return sections;
}

std::string driveTypeName(unsigned int driveType) {
    switch (driveType) {
    case 2:
        return "Removable Drive";
    case 3:
        return "Hard Drive";
    case 4:
        return "Network Drive";
    case 5:
        return "CD-Rom Drive";
    case 6:
        return "RAM Disk";
    default:
        return "";
    }
}

std::vector<InventorySection> driveSections(const std::vector<DriveFacts>& drives) {
    std::vector<InventorySection> sections;
    for (const DriveFacts& drive : drives) {
        InventorySection s("DRIVES");
        std::string letter = drive.root;
        while (!letter.empty() && letter.back() == '\\')
            letter.pop_back();
        s.text("LETTER", letter);
        s.text("TYPE", driveTypeName(drive.driveType));
        if (drive.hasVolume) {
            s.text("FILESYSTEM", drive.fileSystem);
            s.text("VOLUMN", drive.label);
            s.number("SERIAL", drive.serial);
        }
        megabytes(s, "TOTAL", drive.totalBytes);
        megabytes(s, "FREE", drive.freeBytes);
        sections.push_back(std::move(s));
    }
    return sections;
}

std::vector<InventorySection> storageSections(const std::vector<DriveIdentity>& disks) {
    std::vector<InventorySection> sections;
    for (const DriveIdentity& disk : disks) {
        InventorySection s("STORAGES");
        s.text("NAME", disk.model);
        s.text("MODEL", disk.model);
        s.text("SERIALNUMBER", disk.serial);
        s.text("FIRMWARE", disk.firmware);
        // Sectors of 512 bytes: 2048 to the megabyte.
        if (disk.sectors != 0) s.number("DISKSIZE", disk.sectors / 2048);
        if (!s.empty()) sections.push_back(std::move(s));
    }
    return sections;
}

std::string macAddressText(const std::vector<uint8_t>& address) {
    std::string text;
    for (uint8_t byte : address) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(byte));
        if (!text.empty()) text += ':';
        text += pair;
    }
    return text;
}

bool addressIsSet(const std::string& address) {
    return !address.empty() && address != "0.0.0.0";
}

std::string subnetOf(const std::string& address, const std::string& mask) {
    const auto a = ipv4(address);
    const auto m = ipv4(mask);
    if (!a || !m) return {};
    std::string subnet;
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0) subnet += '.';
        subnet += std::to_string((*a)[i] & (*m)[i]);
    }
    return subnet;
}

const AdapterFacts* primaryAdapter(const std::vector<AdapterFacts>& adapters) {
    for (const AdapterFacts& adapter : adapters)
        if (addressIsSet(adapter.ipAddress) && adapter.ipAddress.rfind("127.", 0) != 0) return &adapter;
    return nullptr;
}

std::vector<InventorySection> networkSections(const std::vector<AdapterFacts>& adapters) {
    std::vector<InventorySection> sections;
    for (const AdapterFacts& adapter : adapters) {
        std::vector<std::pair<std::string, std::string>> addresses{{adapter.ipAddress, adapter.ipMask}};
        addresses.insert(addresses.end(), adapter.moreAddresses.begin(), adapter.moreAddresses.end());
        for (const auto& [address, mask] : addresses) {
            InventorySection s("NETWORKS");
            s.text("DESCRIPTION", adapter.description);
            s.text("TYPE", interfaceTypeName(adapter.type));
            s.text("MACADDR", macAddressText(adapter.address));
            if (adapter.operational) s.text("STATUS", *adapter.operational ? "Up" : "Down");
            if (addressIsSet(address)) {
                s.text("IPADDRESS", address);
                if (addressIsSet(mask)) {
                    s.text("IPMASK", mask);
                    s.text("IPSUBNET", subnetOf(address, mask));
                }
            }
            if (addressIsSet(adapter.gateway)) s.text("IPGATEWAY", adapter.gateway);
            if (adapter.dhcpEnabled && addressIsSet(adapter.dhcpServer) &&
                adapter.dhcpServer != "255.255.255.255")
                s.text("IPDHCP", adapter.dhcpServer);
            sections.push_back(std::move(s));
        }
    }
    return sections;
}

std::vector<InventorySection> softwareSections(const std::vector<SoftwareEntry>& entries) {
    std::vector<InventorySection> sections;
    for (const SoftwareEntry& entry : entries) {
        InventorySection s("SOFTWARES");
        s.text("NAME", entry.name);
        // Without a name the server files the row under whatever name it
        // numbered first.
        if (s.empty()) continue;
        s.text("PUBLISHER", entry.publisher);
        s.text("VERSION", entry.version);
        s.text("INSTALLDATE", entry.installDate);
        s.text("FOLDER", entry.folder);
        s.text("COMMENTS", entry.comments);
        if (entry.sizeKilobytes) s.number("FILESIZE", *entry.sizeKilobytes * 1024);
        sections.push_back(std::move(s));
    }
    return sections;
}
