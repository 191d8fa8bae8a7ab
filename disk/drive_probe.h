// The IDE/ATA drive probe: identifies the drives behind the disk control
// interface and reads their SMART attributes into the report. On NT the
// physical drives 0..15 are asked through the SMART control codes; on the
// Windows 9x family a legacy port driver, when one is installed, reports the
// drives of the first four controllers.
#pragma once

#include "drive_control.h"
#include "drive_listing.h"
#include "smart_attributes.h"

#include <optional>
#include <vector>

class TaskContext;

// A drive that answered IDENTIFY, by its drive number.
struct IdentifiedDrive {
    unsigned number = 0;
    IdentifyBlock block{};
};

class DriveProbe {
  public:
    // `width` measures the report view's text for the attribute columns.
    DriveProbe(TaskContext& context, DriveControl& drives, ProcessPriority& priority, TextWidth width);

    // The path of the platform (VER_PLATFORM_WIN32_NT: the physical drives
    // once; others: the legacy driver, up to ten times until a call lists a
    // drive). True when a drive was listed.
    bool probeDrives(unsigned long platformId);
    bool probePhysicalDrives();
    bool probeLegacyPorts();

    // The drives the probe of the platform lists, by the same calls, without
    // their SMART data or any report text.
    std::vector<IdentifiedDrive> identifiedDrives(unsigned long platformId);

  private:
    struct PhysicalIdentity {
        bool atapi = false;
        std::uint8_t identifyCommand = 0;
        std::optional<IdentifyBlock> block; // none when the drive did not answer
    };
    // None when the device does not take the drive control codes.
    std::optional<PhysicalIdentity> identifyPhysicalDrive(OpenDevice& device, unsigned drive);
    OpenDevice openPhysicalDrive(unsigned drive);
    std::vector<IdentifiedDrive> legacyDrives();
    bool probePhysicalDrive(unsigned drive, DriveSet& smartEnabled);
    std::string smartText(OpenDevice& device, unsigned drive, std::uint8_t identifyCommand,
                          DriveSet& smartEnabled);

    TaskContext& context_;
    DriveControl& drives_;
    ProcessPriority& priority_;
    TextWidth width_;
};
