// The IDENTIFY formatters on arbitrary sectors. Input: the drive number and
// the identify command (one byte each), then the sector (short ones leave the
// missing words zero, long ones are cut). Besides the sanitizers' findings, a
// run fails when a listing or identification block loses its fixed lines,
// when a field holds a zero byte, or when the capacity is not the exact
// decimal of the sector count times 512 with its digits grouped by three.
#include "disk/drive_listing.h"
#include "disk/identify_block.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

std::string decimal(unsigned __int128 value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

void checkGrouped(const std::string& grouped, const std::string& digits) {
    std::string without;
    for (size_t i = 0; i < grouped.size(); ++i) {
        const size_t fromRight = grouped.size() - i;
        if (fromRight % 4 == 0) {
            require(grouped[i] == '.');
        } else {
            without.push_back(grouped[i]);
        }
    }
    require(without == digits);
    require(!grouped.empty() && grouped.front() != '.');
}

size_t count(std::string_view text, std::string_view what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const unsigned drive = data[0] % 20;
    const std::uint8_t command = data[1] & 1 ? 0xEC : data[1];
    const IdentifyBlock block = identifyBlockFromSector(std::span<const std::uint8_t>(data + 2, size - 2));

    // Sector counts of up to 64 bits, times 512, against 128-bit arithmetic.
    std::uint64_t sectors = 0;
    for (size_t k = 4; k-- > 0;)
        sectors = (sectors << 16) | block[100 + k];
    const std::string bytes = sectorBytesDecimal(sectors);
    require(bytes == decimal(static_cast<unsigned __int128>(sectors) * 512));
    checkGrouped(groupDigits(bytes), bytes);

    for (size_t first = 0; first < block.size(); first += 37) {
        const std::string field = identifyField(block, first, first + data[1]);
        require(field.find('\0') == std::string::npos);
        require(field.size() <= 2 * (size_t{data[1]} + 1));
        const std::string trimmed = identifyString(block, first, first + data[1]);
        require(field.starts_with(trimmed));
    }
    require(identifyField(block, 300, 400).empty());
    require(identifyField(block, 5, 4).empty());

    const std::string listing = driveListingText(drive, block);
    require(listing.find('\0') == std::string::npos);
    for (const char* label : {"\tModel Number: ", "\tSerial Number: ", "\tFirmware Revision Number: ",
                              "\tBuffer Size on Drive: ", "\tType: ", "\tDrive Capacity: "})
        require(count(listing, label) >= 1);
    require(listing.ends_with(" bytes\n"));

    DriveSet enabled;
    enabled.set(drive % enabled.size(), data[1] & 2);
    const std::string identification = formatIdentification(drive, block, command, enabled);
    require(identification.find('\0') == std::string::npos);
    require(identification.starts_with("Drive " + std::to_string(drive) + " is an "));
    require(identification.ends_with("\r\n"));
    require(count(identification, "\r\n") >= (command == 0xEC ? 5u : 4u));
    return 0;
}
