#include "inventory_collect.h"

#include "collect/hardware_section.h"
#include "collect/identity_section.h"
#include "collect/network_section.h"
#include "collect/os_section.h"
#include "collect/windows_version.h"
#include "disk/drive_control.h"
#include "disk/drive_probe.h"
#include "inventory_facts.h"
#include "registry/registry_read.h"
#include "report/task_context.h"
#include "uninstall_entries.h"
#include "wmi_inventory.h"

#include <windows.h>

namespace {

// COMPUTER_NAME_FORMAT's ComputerNameDnsDomain.
constexpr int kDnsDomainFormat = 2;

std::string registryText(const char* keyPath, const char* valueName) {
    std::string value;
    readRegistryString(HKEY_LOCAL_MACHINE, keyPath, valueName, value);
    return value;
}

std::vector<ProcessorFacts> processors(unsigned long count) {
    std::vector<ProcessorFacts> found;
    // The system numbers its processor keys from 0; at most one per processor.
    for (unsigned index = 0; index < count && index < 64; ++index) {
        std::optional<ProcessorFacts> cpu = processorFacts(HKEY_LOCAL_MACHINE, index);
        if (!cpu) break;
        found.push_back(std::move(*cpu));
    }
    return found;
}

std::vector<DriveIdentity> identifiedDisks(TaskContext& context) {
    std::vector<DriveIdentity> disks;
    // Only an administrator may send drive commands.
    if (!identity::userIsAdministrator()) return disks;
    SystemDriveControl drives;
    SystemProcessPriority priority;
    DriveProbe probe(context, drives, priority, context.viewTextWidth());
    for (const IdentifiedDrive& drive : probe.identifiedDrives(versionRecord().dwPlatformId))
        disks.push_back(driveIdentity(drive.block));
    return disks;
}

void addAll(std::vector<InventorySection>& out, std::vector<InventorySection> sections) {
    for (InventorySection& section : sections)
        out.push_back(std::move(section));
}

} // namespace

std::string windowsRegistration(const char* valueName) {
    const bool nt = (GetVersion() & 0x80000000u) == 0;
    return registryText(nt ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"
                           : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                        valueName);
}

std::vector<InventorySection> collectInventorySections(TaskContext& context) {
    const WmiInventory wmi = queryWmiInventory(context);
    const SystemFigures system = systemFigures();
    const std::vector<ProcessorFacts> cpus = processors(system.processors);
    const std::vector<AdapterFacts> adapters = systemAdapters();
    const MemoryFigures memory = systemMemory();

    HardwareFacts hardware;
    hardware.name = identity::computerName();
    hardware.workgroup = wmi.domain;
    if (hardware.workgroup.empty())
        hardware.workgroup = identity::computerNameEx(kDnsDomainFormat).value_or("");
    std::string edition;
    describeWindowsVersion(edition);
    hardware.osName = osNameOf(edition);
    const OSVERSIONINFOEXA version = versionRecord();
    hardware.osVersion = osVersionOf(version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber);
    copyServicePackLine(hardware.osComments);
    if (!cpus.empty()) {
        hardware.processorType = cpus.front().name.empty() ? cpus.front().identifier : cpus.front().name;
        hardware.processorMhz = cpus.front().mhz;
    }
    hardware.processorCount = system.processors;
    hardware.memoryBytes = memory.totalPhys;
    hardware.swapBytes = memory.totalPageFile;
    hardware.userId = identity::userName();
    if (const AdapterFacts* primary = primaryAdapter(adapters)) {
        hardware.ipAddress = primary->ipAddress;
        if (addressIsSet(primary->gateway)) hardware.defaultGateway = primary->gateway;
    }
    const std::vector<std::string> dns = systemDnsServers();
    if (!dns.empty()) hardware.dns = dns.front();
    hardware.owner = windowsRegistration("RegisteredOwner");
    hardware.company = windowsRegistration("RegisteredOrganization");
    hardware.productId = windowsProductId().value_or("");

    BiosFacts bios = wmi.bios;
    // Where WMI is missing (Windows 95, NT 4.0 without it) the registry still
    // names the BIOS the PC supplement block shows.
    if (bios.biosDate.empty())
        bios.biosDate = registryText("HARDWARE\\DESCRIPTION\\System", "SystemBiosDate");
    if (bios.biosVersion.empty())
        bios.biosVersion = registryText("HARDWARE\\DESCRIPTION\\System", "SystemBiosVersion");

    std::vector<DriveFacts> drives;
    for (const std::string& root : logicalDriveRoots())
        drives.push_back(driveFacts(root));

    std::vector<InventorySection> sections;
    sections.push_back(hardwareSection(hardware));
    if (InventorySection section = biosSection(bios); !section.empty())
        sections.push_back(std::move(section));
    addAll(sections, cpuSections(cpus));
    addAll(sections, memorySections(wmi.memory));
    addAll(sections, driveSections(drives));
    addAll(sections, storageSections(identifiedDisks(context)));
    addAll(sections, networkSections(adapters));
    addAll(sections, softwareSections(uninstallEntries(HKEY_LOCAL_MACHINE)));
    return sections;
}
