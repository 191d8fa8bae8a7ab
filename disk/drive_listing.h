// The texts that describe one identified drive: the short listing every
// identified drive gets, and the identification block written for a drive on
// which SMART could not be enabled. Both are built from the IDENTIFY words
// alone (no window or device calls); device texts are data, never formats.
#pragma once

#include "identify_block.h"

#include <bitset>
#include <string>

class TaskContext;

// Drive numbers run 0..15: four controllers of two drives each, then drives
// the controllers do not name.
using DriveSet = std::bitset<16>;

// What the listing names of a drive, its texts without trailing blanks.
struct DriveIdentity {
    std::string model;
    std::string serial;
    std::string firmware;
    std::uint64_t sectors = 0; // addressable, 48-bit where the drive has it
};
DriveIdentity driveIdentity(const IdentifyBlock& block);

// Controller and role, model, serial number, firmware, buffer size, type and
// capacity, "\n" line ends.
std::string driveListingText(unsigned drive, const IdentifyBlock& block);

// Writes driveListingText to the report.
void formatDriveListing(TaskContext& context, unsigned drive, const IdentifyBlock& block);

// The identification block of a drive that answered `identifyCommand`
// (0xEC: an ATA hard drive with its geometry; anything else: an ATAPI device),
// with the untrimmed model, firmware and serial fields and "\r\n" line ends.
std::string formatIdentification(unsigned drive, const IdentifyBlock& block, std::uint8_t identifyCommand,
                                 const DriveSet& smartEnabled);
