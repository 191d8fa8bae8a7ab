#include "hardware_section.h"

#include "registry/registry_read.h"
#include "report/task_context.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace {

const char* const kSep = "===========================================================================";
const char* const kSystemKey = "HARDWARE\\DESCRIPTION\\System";

struct LabelledValue {
    const char* label;
    const char* key;
    const char* value;
};

const LabelledValue kSupplementValues[] = {
    {"Hardware Identifier:        ", kSystemKey, "Identifier"},
    {"System Bios Date:        ", kSystemKey, "SystemBiosDate"},
    {"System Bios Version:        ", kSystemKey, "SystemBiosVersion"},
    {"Os LoaderPath:        ", "SYSTEM\\Setup", "OsLoaderPath"},
    {"System Partition:        ", "SYSTEM\\Setup", "SystemPartition"},
};

struct AcpiTable {
    const char* key;
    const char* label;
};
const AcpiTable kAcpiTables[] = {{"HARDWARE\\ACPI\\DSDT", "DSDT Name: "},
                                 {"HARDWARE\\ACPI\\FACS", "FACS Name: "},
                                 {"HARDWARE\\ACPI\\FADT", "FADT Name: "},
                                 {"HARDWARE\\ACPI\\RSDT", "RSDT Name: "}};

// The label always; the value when it was read (the next output otherwise
// continues on the label's line).
void writeLabelledValue(TaskContext& context, HKEY machine, const LabelledValue& line) {
    context.write(line.label);
    std::string value;
    if (readRegistryString(machine, line.key, line.value, value))
        reportPrintf(context, "%s\n", value.c_str());
}

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using OpenKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

OpenKey openForReading(HKEY machine, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(machine, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return OpenKey(key);
}

// Names of the first ACPI table key that opens.
void writeAcpiTableNames(TaskContext& context, HKEY machine) {
    for (const AcpiTable& table : kAcpiTables) {
        OpenKey key = openForReading(machine, table.key);
        if (!key) continue;
        DWORD subkeys = 0;
        if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
        for (DWORD i = 0; i < subkeys; ++i) {
            char name[1024] = {};
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            reportPrintf(context, "%s %s\n", table.label, name);
        }
        return;
    }
}

std::string processorText(HKEY key, const char* value) {
    char text[100] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return std::string(text);
}

void writeCpuLines(TaskContext& context, HKEY machine) {
    const std::optional<ProcessorFacts> cpu = processorFacts(machine);
    if (!cpu) return;
    if (cpu->name.size() > 1) reportPrintf(context, "CPU NameString: %s\n", cpu->name.c_str());
    if (cpu->identifier.size() > 1) reportPrintf(context, "CPU Identifier: %s\n", cpu->identifier.c_str());
    if (cpu->vendor.size() > 1) reportPrintf(context, "CPU VendorIdentifier: %s\n", cpu->vendor.c_str());
    if (cpu->mhz && *cpu->mhz != 0) reportPrintf(context, "CPU Speed: %lu MHz\n", *cpu->mhz);
}

} // namespace

std::optional<ProcessorFacts> processorFacts(HKEY machine, unsigned index) {
    const std::string path = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\" + std::to_string(index);
    OpenKey key = openForReading(machine, path.c_str());
    if (!key) return std::nullopt;
    ProcessorFacts cpu;
    cpu.name = processorText(key.get(), "ProcessorNameString");
    cpu.identifier = processorText(key.get(), "Identifier");
    cpu.vendor = processorText(key.get(), "VendorIdentifier");
    DWORD mhz = 0;
    DWORD size = sizeof mhz;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), "~MHz", nullptr, &type, reinterpret_cast<BYTE*>(&mhz), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD)
        cpu.mhz = mhz;
    return cpu;
}

SystemFigures systemFigures() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    SystemFigures figures;
    figures.oemId = info.dwOemId;
    figures.processors = info.dwNumberOfProcessors;
    figures.pageSize = info.dwPageSize;
    figures.processorType = info.dwProcessorType;
    figures.activeProcessorMask = static_cast<unsigned long>(info.dwActiveProcessorMask);
    figures.minimumAddress = reinterpret_cast<uintptr_t>(info.lpMinimumApplicationAddress);
    figures.maximumAddress = reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress);
    return figures;
}

std::string systemFiguresText(const SystemFigures& f) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "OEM ID: %lu, Number of processors: %lu, Page size: %lu\n"
                  "Processor type: %lu, Active processor mask: %lu\n"
                  "Minimum application address: %lx, Maximum application address: %lx\n",
                  f.oemId, f.processors, f.pageSize, f.processorType, f.activeProcessorMask,
                  static_cast<unsigned long>(f.minimumAddress), static_cast<unsigned long>(f.maximumAddress));
    return text;
}

// GetCurrentHwProfileA came with NT 4.0 and Windows 98: bound at run time.
std::optional<HardwareProfile> currentHardwareProfile() {
    using GetProfile = BOOL(WINAPI*)(LPHW_PROFILE_INFOA);
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    const GetProfile getProfile = advapi == nullptr ? nullptr
                                                    : reinterpret_cast<GetProfile>(reinterpret_cast<void*>(
                                                          GetProcAddress(advapi, "GetCurrentHwProfileA")));
    HW_PROFILE_INFOA profile{};
    if (getProfile == nullptr || !getProfile(&profile)) return std::nullopt;
    profile.szHwProfileGuid[HW_PROFILE_GUIDLEN - 1] = '\0';
    profile.szHwProfileName[MAX_PROFILE_LEN - 1] = '\0';
    return HardwareProfile{static_cast<long>(profile.dwDockInfo), profile.szHwProfileGuid,
                           profile.szHwProfileName};
}

std::string hardwareProfileText(const HardwareProfile& profile) {
    // The texts come from the system: never part of a format.
    return "DockInfo = " + std::to_string(profile.dockInfo) + ", Profile Guid = " + profile.guid + ", (" +
           profile.name + ")\n";
}

bool writePcSupplementSection(TaskContext& context, const PcSupplementSources& sources) {
    reportPrintf(context, "\n%s\nPC Supplement data:\n\n", kSep);
    if (!context.step()) return false;
    for (const LabelledValue& line : kSupplementValues) {
        writeLabelledValue(context, sources.machine, line);
        if (!context.step()) return false;
    }
    writeAcpiTableNames(context, sources.machine);
    if (!context.step()) return false;
    writeCpuLines(context, sources.machine);
    if (!context.step()) return false;
    context.write(systemFiguresText(sources.systemInfo()));
    if (!context.step()) return false;
    if (const std::optional<HardwareProfile> profile = sources.hardwareProfile())
        context.write(hardwareProfileText(*profile));
    return true;
}

const char* keyboardTypeLine(int keyboardType) {
    static const char* const kLines[] = {
        "Keyboard Type: IBM PC/XT or compatible (83-key) keyboard\n",
        "Keyboard Type: Olivetti \"ICO\" (102-key) keyboard\n",
        "Keyboard Type: IBM PC/AT (84-key) or similar keyboard\n",
        "Keyboard Type: IBM enhanced (101- or 102-key) keyboard\n",
        "Keyboard Type: Nokia 1050 and similar keyboards\n",
        "Keyboard Type: Nokia 9140 and similar keyboards\n",
        "Keyboard Type: Japanese keyboard\n",
    };
    if (keyboardType < 1 || keyboardType > 7) return nullptr;
    return kLines[keyboardType - 1];
}

void writeKeyboardSection(TaskContext& context, int keyboardType) {
    reportPrintf(context, "%s\nKeyboardType OS:\n\n", kSep);
    if (const char* line = keyboardTypeLine(keyboardType)) context.write(line);
}

void writeVideoBiosLines(TaskContext& context) {
    writeLabelledValue(context, HKEY_LOCAL_MACHINE,
                       {"Registry Video Bios Date:        ", kSystemKey, "VideoBiosDate"});
    writeLabelledValue(context, HKEY_LOCAL_MACHINE,
                       {"Registry Video Bios Version:        ", kSystemKey, "VideoBiosVersion"});
}

MemoryFigures systemMemory() {
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    MemoryFigures figures;
    figures.length = status.dwLength;
    figures.load = status.dwMemoryLoad;
    figures.totalPhys = status.dwTotalPhys;
    figures.availPhys = status.dwAvailPhys;
    figures.totalPageFile = status.dwTotalPageFile;
    figures.availPageFile = status.dwAvailPageFile;
    figures.totalVirtual = status.dwTotalVirtual;
    figures.availVirtual = status.dwAvailVirtual;
    return figures;
}

void writeMemorySection(TaskContext& context, const MemoryFigures& m) {
    constexpr int kWidth = 28;
    const char* const unit = "K";
    auto kilobytes = [](unsigned long bytes) { return static_cast<long>(bytes >> 10); };
    reportPrintf(context, "%s\n", kSep);
    reportPrintf(context,
                 "MemoryStatus:\n\nThe MemoryStatus structure is %ld bytes long and it should be %d.\n",
                 static_cast<long>(m.length), 32);
    reportPrintf(context, "%*ld total %sbytes of physical memory.\n", kWidth, kilobytes(m.totalPhys), unit);
    reportPrintf(context, "%*ld free %sbytes of physical memory (%ld percent in use).\n", kWidth,
                 kilobytes(m.availPhys), unit, static_cast<long>(m.load));
    reportPrintf(context, "%*ld total %sbytes of paging file.\n", kWidth, kilobytes(m.totalPageFile), unit);
    reportPrintf(context, "%*ld free %sbytes of paging file.\n", kWidth, kilobytes(m.availPageFile), unit);
    reportPrintf(context, "%*ld total %sbytes of virtual memory.\n", kWidth, kilobytes(m.totalVirtual), unit);
    reportPrintf(context, "%*ld free %sbytes of virtual memory.\n\n", kWidth, kilobytes(m.availVirtual),
                 unit);
}

std::string groupedDigits(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += '.';
        grouped += digits[i];
    }
    return grouped;
}

std::string driveTypeText(unsigned int driveType) {
    static const char* const kTypes[] = {"Unknown DriveType", "Invalid path DriveType", "Removable DriveType",
                                         "Fixed DriveType",   "Network drive",          "CD-ROM DriveType",
                                         "RAM disk DriveType"};
    return driveType < 7 ? kTypes[driveType] : "";
}

std::string driveLine(const DriveFacts& drive) {
    std::string line = drive.root + " ";
    if (!drive.hasVolume) {
        line += "No Volume, ";
    } else {
        if (drive.label.size() > 1) line += "Volume: " + drive.label + ", ";
        // The serial identifies every volume, labelled or not: the label
        // stands in the line already.
        line += "Serial: " + std::to_string(drive.serial) + ", ";
        if (drive.fileSystem.size() > 1) line += "System: " + drive.fileSystem + ", ";
    }
    if (drive.freeBytes) line += groupedDigits(*drive.freeBytes) + " byte free, ";
    line += driveTypeText(drive.driveType);
    return line + "\n";
}

std::string logicalDrivesText(const std::vector<DriveFacts>& drives) {
    std::string text = "Logical Drives:\n";
    for (const DriveFacts& drive : drives)
        text += driveLine(drive);
    return text;
}

std::vector<std::string> logicalDriveRoots() {
    char buffer[5260] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
    std::vector<std::string> roots;
    if (length == 0 || length >= sizeof buffer - 1) return roots;
    for (const char* root = buffer; *root != '\0'; root += std::char_traits<char>::length(root) + 1)
        roots.emplace_back(root);
    return roots;
}

DriveFacts driveFacts(const std::string& root) {
    DriveFacts drive;
    drive.root = root;
    char label[100] = {};
    char fileSystem[100] = {};
    DWORD serial = 0;
    DWORD maxComponent = 0;
    DWORD flags = 0;
    // No "insert a disk" box for an empty floppy or CD drive.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    drive.hasVolume = GetVolumeInformationA(root.c_str(), label, sizeof label, &serial, &maxComponent, &flags,
                                            fileSystem, sizeof fileSystem) != FALSE;
    if (drive.hasVolume) {
        label[sizeof label - 1] = '\0';
        fileSystem[sizeof fileSystem - 1] = '\0';
        drive.label = label;
        drive.fileSystem = fileSystem;
        drive.serial = serial;
    }
    // GetDiskFreeSpaceExA came with Windows 95 OSR2: looked up at run time.
    using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const FreeSpaceEx freeSpaceEx = kernel == nullptr ? nullptr
                                                      : reinterpret_cast<FreeSpaceEx>(reinterpret_cast<void*>(
                                                            GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
    if (freeSpaceEx != nullptr) {
        ULARGE_INTEGER available{}, total{}, totalFree{};
        if (freeSpaceEx(root.c_str(), &available, &total, &totalFree)) {
            drive.freeBytes = totalFree.QuadPart;
            drive.totalBytes = total.QuadPart;
        }
    } else {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
            drive.freeBytes = uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
            drive.totalBytes = uint64_t{sectorsPerCluster} * bytesPerSector * clusters;
        }
    }
    SetErrorMode(oldMode);
    drive.driveType = GetDriveTypeA(root.c_str());
    return drive;
}
