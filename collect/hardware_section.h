// The machine seen without WMI: the PC supplement data, keyboard type, video
// BIOS, memory status and the logical drives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TaskContext;

// What GetSystemInfo reports, as the PC supplement block shows it.
struct SystemFigures {
    unsigned long oemId = 0;
    unsigned long processors = 0;
    unsigned long pageSize = 0;
    unsigned long processorType = 0;
    unsigned long activeProcessorMask = 0;
    uintptr_t minimumAddress = 0;
    uintptr_t maximumAddress = 0;
};
SystemFigures systemFigures();
// Its three lines.
std::string systemFiguresText(const SystemFigures& figures);

// What GetCurrentHwProfileA reports; none where the call is missing (Windows
// 95) or fails.
struct HardwareProfile {
    long dockInfo = 0;
    std::string guid;
    std::string name;
};
std::optional<HardwareProfile> currentHardwareProfile();
// Its line.
std::string hardwareProfileText(const HardwareProfile& profile);

// What the processor key tells of processor `index` (the report shows the
// first); none when the key does not open. Texts are empty when absent.
struct ProcessorFacts {
    std::string name;
    std::string identifier;
    std::string vendor;
    std::optional<unsigned long> mhz; // read as a number; may be zero
};
std::optional<ProcessorFacts> processorFacts(HKEY machine, unsigned index = 0);

// Where the PC supplement block reads: the registry below `machine` (the
// machine's own hive; tests give a key of their own) and the two calls.
struct PcSupplementSources {
    HKEY machine = HKEY_LOCAL_MACHINE;
    SystemFigures (*systemInfo)() = systemFigures;
    std::optional<HardwareProfile> (*hardwareProfile)() = currentHardwareProfile;
};

// Row 9: the header, registry values, ACPI table names, processor, system
// information and hardware profile. Steps between the writes.
bool writePcSupplementSection(TaskContext& context, const PcSupplementSources& sources = {});

// Row 13: the header and the keyboard line for `keyboardType` (no line
// outside 1 to 7).
void writeKeyboardSection(TaskContext& context, int keyboardType);
const char* keyboardTypeLine(int keyboardType);

// Row 16.
void writeVideoBiosLines(TaskContext& context);

// What GlobalMemoryStatus reports.
struct MemoryFigures {
    unsigned long length = 0; // the structure size the call reported
    unsigned long load = 0;
    unsigned long totalPhys = 0, availPhys = 0, totalPageFile = 0, availPageFile = 0, totalVirtual = 0,
                  availVirtual = 0;
};
MemoryFigures systemMemory();
// Row 18: SEP, the structure-size line and six lines of kilobytes in a field of 28.
void writeMemorySection(TaskContext& context, const MemoryFigures& memory);

// 12345678 → "12.345.678".
std::string groupedDigits(uint64_t value);

// One root of the drive list as the drive line needs it.
struct DriveFacts {
    std::string root;
    bool hasVolume = false;
    std::string label;
    std::string fileSystem;
    unsigned long serial = 0;
    std::optional<uint64_t> freeBytes;
    unsigned int driveType = 0;
    std::optional<uint64_t> totalBytes; // the volume's size, read with the free space
};
std::string driveTypeText(unsigned int driveType);
// One drive line, its line feed included.
std::string driveLine(const DriveFacts& drive);
// "Logical Drives:\n" and one line per drive.
std::string logicalDrivesText(const std::vector<DriveFacts>& drives);

// The roots GetLogicalDriveStringsA lists.
std::vector<std::string> logicalDriveRoots();
// Volume, free space and type of one root.
DriveFacts driveFacts(const std::string& root);
