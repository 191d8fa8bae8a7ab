// The requests of the disk drive control interface as bytes: control codes,
// the IDE register values of each command and the layout of the byte-packed
// parameter blocks the driver exchanges. Pure data and encoding (no window or
// device calls), so the probe's requests can be checked and fuzzed anywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace smart {

// Control codes (the legacy port driver answers code 1).
constexpr unsigned long kGetVersion = 0x74080;
constexpr unsigned long kSendDriveCommand = 0x7C084;
constexpr unsigned long kReceiveDriveData = 0x7C088;
constexpr unsigned long kLegacyPortQuery = 1;

// Opening a drive, as CreateFileA takes it.
constexpr unsigned long kGenericRead = 0x80000000ul, kGenericWrite = 0x40000000ul;
constexpr unsigned long kShareRead = 1, kShareWrite = 2;
constexpr unsigned long kOpenExisting = 3;
constexpr unsigned long kDeleteOnClose = 0x04000000ul;

// Priority classes of the legacy path.
constexpr unsigned long kRealtimePriority = 0x100;
constexpr unsigned long kNormalPriority = 0x20;

// ATA command and SMART feature register values.
constexpr std::uint8_t kIdentifyAta = 0xEC;
constexpr std::uint8_t kIdentifyAtapi = 0xA1;
constexpr std::uint8_t kSmart = 0xB0;
constexpr std::uint8_t kSmartReadAttributes = 0xD0;
constexpr std::uint8_t kSmartReadThresholds = 0xD1;
constexpr std::uint8_t kSmartEnableOperations = 0xD8;

// Block sizes: the parameters in (SENDCMDINPARAMS without its data byte), the
// result header (cBufferSize and DRIVERSTATUS) before the data sector, the
// version answer (GETVERSIONOUTPARAMS).
constexpr std::size_t kCommandInLength = 32;
constexpr std::size_t kResultHeader = 16;
constexpr std::size_t kDataResultLength = kResultHeader + 512;
constexpr std::size_t kStatusResultLength = kResultHeader;
constexpr std::size_t kVersionLength = 24;

// IDEREGS, in the order the driver lays them out.
struct IdeRegisters {
    std::uint8_t features = 0;
    std::uint8_t sectorCount = 0;
    std::uint8_t sectorNumber = 0;
    std::uint8_t cylinderLow = 0;
    std::uint8_t cylinderHigh = 0;
    std::uint8_t driveHead = 0;
    std::uint8_t command = 0;
    std::uint8_t reserved = 0;
    bool operator==(const IdeRegisters&) const = default;
};

// One request: its control code, the data size it declares, its registers and
// the length of the result buffer it gets.
struct DriveCommand {
    unsigned long controlCode = 0;
    std::uint32_t bufferSize = 0;
    IdeRegisters registers;
    std::size_t resultLength = 0;
};

// IDENTIFY (ATA or ATAPI) of drive `drive`.
DriveCommand identify(unsigned drive, std::uint8_t identifyCommand);
// SMART ENABLE OPERATIONS, READ ATTRIBUTE VALUES or READ ATTRIBUTE THRESHOLDS.
DriveCommand smartCommand(unsigned drive, std::uint8_t feature);

// The 32-byte SENDCMDINPARAMS of `command` for drive `drive`, zero apart from
// cBufferSize, the registers and bDriveNumber.
std::array<std::uint8_t, kCommandInLength> encodeCommand(const DriveCommand& command, unsigned drive);

// bIDEDeviceMap of a GETVERSIONOUTPARAMS answer (0 when it is too short).
std::uint8_t ideDeviceMap(std::span<const std::uint8_t> versionAnswer);

// True when the device map marks drive `drive` as a packet (ATAPI) device;
// the map has such bits for drives 0..3 only.
bool isAtapi(std::uint8_t deviceMap, unsigned drive);

// The data sector of a SENDCMDOUTPARAMS result.
std::span<const std::uint8_t> resultData(std::span<const std::uint8_t> result);

} // namespace smart
