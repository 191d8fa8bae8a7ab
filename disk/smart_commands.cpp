#include "smart_commands.h"

namespace smart {

namespace {

// The head register selects the device: bit 4 is the slave of a pair.
std::uint8_t driveHead(unsigned drive) {
    return drive % 2 == 0 ? 0xA0 : 0xB0;
}

// The SMART commands address the drive through the cylinder registers' key.
constexpr std::uint8_t kSmartCylinderLow = 0x4F, kSmartCylinderHigh = 0xC2;

} // namespace

DriveCommand identify(unsigned drive, std::uint8_t identifyCommand) {
    DriveCommand c;
    c.controlCode = kReceiveDriveData;
    c.bufferSize = 512;
    c.registers.sectorCount = 1;
    c.registers.sectorNumber = 1;
    c.registers.driveHead = driveHead(drive);
    c.registers.command = identifyCommand;
    c.resultLength = kDataResultLength;
    return c;
}

DriveCommand smartCommand(unsigned drive, std::uint8_t feature) {
    const bool enable = feature == kSmartEnableOperations;
    DriveCommand c;
    c.controlCode = enable ? kSendDriveCommand : kReceiveDriveData;
    c.bufferSize = enable ? 0 : 512;
    c.registers.features = feature;
    c.registers.sectorCount = 1;
    c.registers.sectorNumber = 1;
    c.registers.cylinderLow = kSmartCylinderLow;
    c.registers.cylinderHigh = kSmartCylinderHigh;
    c.registers.driveHead = driveHead(drive);
    c.registers.command = kSmart;
    c.resultLength = enable ? kStatusResultLength : kDataResultLength;
    return c;
}

std::array<std::uint8_t, kCommandInLength> encodeCommand(const DriveCommand& command, unsigned drive) {
    std::array<std::uint8_t, kCommandInLength> in{};
    for (int i = 0; i < 4; ++i)
        in[i] = static_cast<std::uint8_t>(command.bufferSize >> (8 * i));
    const IdeRegisters& r = command.registers;
    const std::uint8_t registers[] = {r.features,     r.sectorCount, r.sectorNumber, r.cylinderLow,
                                      r.cylinderHigh, r.driveHead,   r.command,      r.reserved};
    for (std::size_t i = 0; i < std::size(registers); ++i)
        in[4 + i] = registers[i];
    in[12] = static_cast<std::uint8_t>(drive);
    return in;
}

std::uint8_t ideDeviceMap(std::span<const std::uint8_t> versionAnswer) {
    return versionAnswer.size() > 3 ? versionAnswer[3] : 0;
}

bool isAtapi(std::uint8_t deviceMap, unsigned drive) {
    return drive < 4 && (deviceMap >> (drive + 4)) & 1u;
}

std::span<const std::uint8_t> resultData(std::span<const std::uint8_t> result) {
    if (result.size() <= kResultHeader) return {};
    return result.subspan(kResultHeader);
}

} // namespace smart
