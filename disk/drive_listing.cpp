#include "drive_listing.h"

#include "report/task_context.h"
#include "smart_commands.h"

namespace {

// IDENTIFY word numbers.
constexpr std::size_t kGeneralConfiguration = 0;
constexpr std::size_t kCylinders = 1, kHeads = 3, kSectorsPerTrack = 6;
constexpr std::size_t kSerialFirst = 10, kSerialLast = 19;
constexpr std::size_t kBufferSize = 21;
constexpr std::size_t kFirmwareFirst = 23, kFirmwareLast = 26;
constexpr std::size_t kModelFirst = 27, kModelLast = 46;
constexpr std::size_t kSectors28 = 60;
constexpr std::size_t kCommandSets = 83;
constexpr std::size_t kSectors48 = 100;

constexpr std::uint16_t kRemovable = 1u << 7, kFixed = 1u << 6;
constexpr std::uint16_t kAddressing48 = 1u << 10;

const char* const kControllers[] = {"\nPrimary Controller - ", "\nSecondary Controller - ",
                                    "\nTertiary Controller - ", "\nQuaternary Controller - "};

const char* driveType(std::uint16_t configuration) {
    if (configuration & kRemovable) return "Removable\n";
    if (configuration & kFixed) return "Fixed\n";
    return "Unknown\n";
}

std::uint64_t addressableSectors(const IdentifyBlock& w) {
    if (w[kCommandSets] & kAddressing48) {
        std::uint64_t sectors = 0;
        for (std::size_t k = 4; k-- > 0;)
            sectors = (sectors << 16) | w[kSectors48 + k];
        return sectors;
    }
    return w[kSectors28] | (static_cast<std::uint64_t>(w[kSectors28 + 1]) << 16);
}

} // namespace

DriveIdentity driveIdentity(const IdentifyBlock& block) {
    return {identifyString(block, kModelFirst, kModelLast), identifyString(block, kSerialFirst, kSerialLast),
            identifyString(block, kFirmwareFirst, kFirmwareLast), addressableSectors(block)};
}

std::string driveListingText(unsigned drive, const IdentifyBlock& block) {
    const DriveIdentity identity = driveIdentity(block);
    std::string text;
    if (drive / 2 < std::size(kControllers)) text += kControllers[drive / 2];
    text += drive % 2 == 0 ? "Master drive\n" : "Slave drive\n";
    text += "\tModel Number: " + identity.model + "\n";
    text += "\tSerial Number: " + identity.serial + "\n";
    text += "\tFirmware Revision Number: " + identity.firmware + "\n";
    const std::uint32_t bufferBytes = static_cast<std::uint32_t>(block[kBufferSize]) * 512u;
    text += "\tBuffer Size on Drive: " + groupDigits(std::to_string(bufferBytes)) + " bytes\n";
    text += "\tType: ";
    text += driveType(block[kGeneralConfiguration]);
    text += "\tDrive Capacity: " + groupDigits(sectorBytesDecimal(identity.sectors)) + " bytes\n";
    return text;
}

void formatDriveListing(TaskContext& context, unsigned drive, const IdentifyBlock& block) {
    context.write(driveListingText(drive, block));
}

std::string formatIdentification(unsigned drive, const IdentifyBlock& block, std::uint8_t identifyCommand,
                                 const DriveSet& smartEnabled) {
    const std::string number = std::to_string(drive);
    std::string text;
    if (identifyCommand == smart::kIdentifyAta) {
        const bool enabled = drive < smartEnabled.size() && smartEnabled.test(drive);
        text +=
            "Drive " + number + " is an IDE Hard drive" + (enabled ? " that supports SMART" : "") + "\r\n";
        text += "\t#Cylinders: " + std::to_string(block[kCylinders]) +
                ", #Heads: " + std::to_string(block[kHeads]) +
                ", #Sectors per Track: " + std::to_string(block[kSectorsPerTrack]) + "\r\n";
    } else {
        text += "Drive " + number + " is an ATAPI device.\r\n";
    }
    text += "\tModel number: " + identifyField(block, kModelFirst, kModelLast) + "\r\n";
    text += "\tFirmware rev: " + identifyField(block, kFirmwareFirst, kFirmwareLast) + "\r\n";
    text += "\tSerial number: " + identifyField(block, kSerialFirst, kSerialLast) + "\r\n";
    return text;
}
