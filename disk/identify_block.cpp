#include "identify_block.h"

#include <algorithm>

IdentifyBlock identifyBlockFromSector(std::span<const std::uint8_t> sector) {
    IdentifyBlock block{};
    const std::size_t words = std::min(sector.size(), kSectorSize) / 2;
    for (std::size_t k = 0; k < words; ++k)
        block[k] = static_cast<std::uint16_t>(sector[2 * k] | (sector[2 * k + 1] << 8));
    return block;
}

std::string identifyField(const IdentifyBlock& block, std::size_t first, std::size_t last) {
    std::string text;
    last = std::min(last, block.size() - 1);
    for (std::size_t k = first; k <= last; ++k) {
        const char high = static_cast<char>(block[k] >> 8);
        const char low = static_cast<char>(block[k] & 0xFF);
        if (high == '\0') break;
        text.push_back(high);
        if (low == '\0') break;
        text.push_back(low);
    }
    return text;
}

std::string identifyString(const IdentifyBlock& block, std::size_t first, std::size_t last) {
    std::string text = identifyField(block, first, last);
    while (text.size() > 1 && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string groupDigits(std::string_view digits) {
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    std::size_t sinceDot = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (sinceDot == 3) {
            out.push_back('.');
            sinceDot = 0;
        }
        out.push_back(digits[i]);
        ++sinceDot;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

std::string sectorBytesDecimal(std::uint64_t sectors) {
    // Multiply the decimal digits by 512 from the right, carrying as on paper.
    std::string digits = std::to_string(sectors);
    unsigned carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const unsigned product = static_cast<unsigned>(digits[i] - '0') * 512u + carry;
        digits[i] = static_cast<char>('0' + product % 10);
        carry = product / 10;
    }
    std::string head;
    for (; carry != 0; carry /= 10)
        head.insert(head.begin(), static_cast<char>('0' + carry % 10));
    digits.insert(0, head);
    const std::size_t firstSignificant = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    return digits.substr(firstSignificant);
}
