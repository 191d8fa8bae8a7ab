#include "drive_probe.h"

#include "report/task_context.h"
#include "smart_commands.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr unsigned kPhysicalDrives = 16;
constexpr unsigned long kPlatformNt = 2;
constexpr int kLegacyAttempts = 10;

// The legacy port driver's answer: one presence byte per controller, one per
// drive slot, then the IDENTIFY sector of every slot.
constexpr std::size_t kLegacyControllers = 4;
constexpr std::size_t kLegacySlots = 8;
constexpr std::size_t kLegacyDrivePresent = kLegacyControllers;
constexpr std::size_t kLegacyIdentify = kLegacyDrivePresent + kLegacySlots;
constexpr std::size_t kLegacyResultSize = kLegacyIdentify + kLegacySlots * kSectorSize;

using CommandResult = std::array<std::uint8_t, smart::kDataResultLength>;

std::span<const std::uint8_t, kSectorSize> dataSector(const CommandResult& result) {
    return std::span<const std::uint8_t, kSectorSize>(result.data() + smart::kResultHeader, kSectorSize);
}

// Sends `command` to drive `drive` with a cleared result buffer of the
// command's length.
bool send(OpenDevice& device, const smart::DriveCommand& command, unsigned drive, CommandResult& result) {
    const auto in = smart::encodeCommand(command, drive);
    result.fill(0);
    const std::size_t length = std::min(command.resultLength, result.size());
    return device.control(command.controlCode, in, std::span<std::uint8_t>(result.data(), length));
}

// The legacy driver times the controllers' ports itself, so nothing else of
// ours may run in between: the whole process runs at real-time priority while
// the driver is asked, and returns to normal however the call ends.
class RealtimePriority {
  public:
    RealtimePriority(ProcessPriority& priority, TaskContext& context) : priority_(priority) {
        unsigned long error = 0;
        if (!priority_.set(smart::kRealtimePriority, error))
            reportPrintf(context, "\nERROR: Could not SetPriorityClass, LastError: %lu\n", error);
    }
    ~RealtimePriority() {
        unsigned long error = 0;
        priority_.set(smart::kNormalPriority, error);
    }
    RealtimePriority(const RealtimePriority&) = delete;
    RealtimePriority& operator=(const RealtimePriority&) = delete;

  private:
    ProcessPriority& priority_;
};

} // namespace

DriveProbe::DriveProbe(TaskContext& context, DriveControl& drives, ProcessPriority& priority, TextWidth width)
    : context_(context), drives_(drives), priority_(priority), width_(std::move(width)) {}

bool DriveProbe::probeDrives(unsigned long platformId) {
    if (platformId == kPlatformNt) return probePhysicalDrives();
    for (int attempt = 0; attempt < kLegacyAttempts; ++attempt)
        if (probeLegacyPorts()) return true;
    return false;
}

bool DriveProbe::probePhysicalDrives() {
    DriveSet smartEnabled;
    bool listed = false;
    for (unsigned drive = 0; drive < kPhysicalDrives; ++drive)
        if (probePhysicalDrive(drive, smartEnabled)) listed = true;
    return listed;
}

OpenDevice DriveProbe::openPhysicalDrive(unsigned drive) {
    return OpenDevice(drives_, {"\\\\.\\PhysicalDrive" + std::to_string(drive),
                                smart::kGenericRead | smart::kGenericWrite,
                                smart::kShareRead | smart::kShareWrite, smart::kOpenExisting, 0});
}

std::optional<DriveProbe::PhysicalIdentity> DriveProbe::identifyPhysicalDrive(OpenDevice& device,
                                                                              unsigned drive) {
    std::array<std::uint8_t, smart::kVersionLength> version{};
    if (!device.control(smart::kGetVersion, {}, version)) return std::nullopt;
    const std::uint8_t deviceMap = smart::ideDeviceMap(version);
    PhysicalIdentity identity;
    identity.atapi = smart::isAtapi(deviceMap, drive);
    identity.identifyCommand = identity.atapi ? smart::kIdentifyAtapi : smart::kIdentifyAta;
    if (deviceMap != 0) {
        CommandResult result;
        if (send(device, smart::identify(drive, identity.identifyCommand), drive, result))
            identity.block = identifyBlockFromSector(dataSector(result));
    }
    return identity;
}

bool DriveProbe::probePhysicalDrive(unsigned drive, DriveSet& smartEnabled) {
    OpenDevice device = openPhysicalDrive(drive);
    if (!device) return false;
    const std::optional<PhysicalIdentity> identity = identifyPhysicalDrive(device, drive);
    if (!identity) return false;
    if (identity->block) formatDriveListing(context_, drive, *identity->block);
    const bool listed = identity->block.has_value();
    // Packet devices (CD and tape drives) have no SMART.
    if (identity->atapi) return listed;
    context_.write(smartText(device, drive, identity->identifyCommand, smartEnabled));
    return listed;
}

std::string DriveProbe::smartText(OpenDevice& device, unsigned drive, std::uint8_t identifyCommand,
                                  DriveSet& smartEnabled) {
    CommandResult result;
    if (!send(device, smart::smartCommand(drive, smart::kSmartEnableOperations), drive, result)) {
        std::string text = "Self Monitoring And Reporting Technology - Enable Command Failed\r\n";
        if (send(device, smart::identify(drive, identifyCommand), drive, result))
            text += formatIdentification(drive, identifyBlockFromSector(dataSector(result)), identifyCommand,
                                         smartEnabled);
        else
            text += "Identify Command Failed on Drive: \n";
        return text;
    }

    std::string text = "\nSelf Monitoring And Reporting Technology Enabled on Drive\n";
    smartEnabled.set(drive);
    CommandResult attributes;
    if (!send(device, smart::smartCommand(drive, smart::kSmartReadAttributes), drive, attributes))
        return text + "\nSelf Monitoring And Reporting Technology Read Attr Command Failed\n";
    CommandResult thresholds;
    if (!send(device, smart::smartCommand(drive, smart::kSmartReadThresholds), drive, thresholds)) {
        text += "\r\nSelf Monitoring And Reporting Technology Read Thresh Command Failed\r\n";
        // Whatever a failed read left there is not a threshold.
        thresholds.fill(0);
    }
    return text + formatAttributeTable(dataSector(attributes), dataSector(thresholds), width_);
}

std::vector<IdentifiedDrive> DriveProbe::legacyDrives() {
    RealtimePriority realtime(priority_, context_);
    std::vector<std::uint8_t> answer(kLegacyResultSize, 0);
    {
        // Opened the way a dynamically loaded driver is; the driver learns the
        // true size of the answer block, so it can never write past it.
        OpenDevice driver(drives_, {"\\\\.\\INFO.TCT", 0, 0, 0, smart::kDeleteOnClose});
        if (driver && !driver.control(smart::kLegacyPortQuery, {}, answer))
            std::fill(answer.begin(), answer.end(), 0);
    }
    std::vector<IdentifiedDrive> found;
    for (unsigned slot = 0; slot < kLegacySlots; ++slot) {
        if (answer[kLegacyDrivePresent + slot] == 0 || answer[slot / 2] == 0) continue;
        const auto sector =
            std::span<const std::uint8_t>(answer).subspan(kLegacyIdentify + slot * kSectorSize, kSectorSize);
        found.push_back({slot, identifyBlockFromSector(sector)});
    }
    return found;
}

bool DriveProbe::probeLegacyPorts() {
    const std::vector<IdentifiedDrive> found = legacyDrives();
    for (const IdentifiedDrive& drive : found)
        formatDriveListing(context_, drive.number, drive.block);
    return !found.empty();
}

std::vector<IdentifiedDrive> DriveProbe::identifiedDrives(unsigned long platformId) {
    std::vector<IdentifiedDrive> found;
    if (platformId == kPlatformNt) {
        for (unsigned drive = 0; drive < kPhysicalDrives; ++drive) {
            OpenDevice device = openPhysicalDrive(drive);
            if (!device) continue;
            const std::optional<PhysicalIdentity> identity = identifyPhysicalDrive(device, drive);
            if (identity && identity->block) found.push_back({drive, *identity->block});
        }
        return found;
    }
    for (int attempt = 0; attempt < kLegacyAttempts && found.empty(); ++attempt)
        found = legacyDrives();
    return found;
}
