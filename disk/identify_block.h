// The answer of ATA IDENTIFY DEVICE and the texts made from its words.
// Everything here reads a fixed block and returns text: no window or device
// calls, so it builds natively for fuzzing too.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Every data command of the drive control interface moves one sector.
constexpr std::size_t kSectorSize = 512;
using Sector = std::array<std::uint8_t, kSectorSize>;

// The 256 16-bit words of an IDENTIFY answer.
using IdentifyBlock = std::array<std::uint16_t, kSectorSize / 2>;

// Word k is the little-endian pair at byte 2k. A short `sector` leaves the
// missing words zero; bytes beyond one sector are never looked at.
IdentifyBlock identifyBlockFromSector(std::span<const std::uint8_t> sector);

// The characters of words first..last, high byte first, up to the first zero
// byte. Indices outside the block are cut to it (first > last gives "").
std::string identifyField(const IdentifyBlock& block, std::size_t first, std::size_t last);

// identifyField without its trailing blanks; the first character always
// stays, and so do leading blanks.
std::string identifyString(const IdentifyBlock& block, std::size_t first, std::size_t last);

// "." between groups of three characters counted from the right:
// "1048576" becomes "1.048.576".
std::string groupDigits(std::string_view digits);

// The exact decimal of sectors x 512 (up to 73 bits: the 64-bit sector count of
// a drive that fills words 100..103 does not fit 64 bits once multiplied).
std::string sectorBytesDecimal(std::uint64_t sectors);
