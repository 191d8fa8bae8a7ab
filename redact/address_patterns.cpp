#include "address_patterns.h"

#include "text_bytes.h"

#include <array>
#include <cstdio>

namespace {

using namespace textbytes;

char at(std::string_view text, size_t i) {
    return i < text.size() ? text[i] : '\0';
}

char before(std::string_view text, size_t i) {
    return i > 0 && i <= text.size() ? text[i - 1] : '\0';
}

// One more group of the same separator follows: the address is longer than it looks.
bool continuesWith(std::string_view text, size_t end, char separator) {
    return at(text, end) == separator && isHexDigit(at(text, end + 1));
}

} // namespace

std::optional<AddressMatch> macAddressAt(std::string_view text, size_t start) {
    const char prev = before(text, start);
    if (isWordByte(prev) || prev == ':' || prev == '-' || prev == '.') return std::nullopt;
    std::string digits;
    size_t i = start;
    const char separator = at(text, start + 2);
    if (separator == ':' || separator == '-') {
        for (int group = 0; group < 6; ++group) {
            if (group > 0) {
                if (at(text, i) != separator) return std::nullopt;
                ++i;
            }
            if (!isHexDigit(at(text, i)) || !isHexDigit(at(text, i + 1))) return std::nullopt;
            digits += lower(text[i]);
            digits += lower(text[i + 1]);
            i += 2;
        }
    } else {
        for (int group = 0; group < 3; ++group) {
            if (group > 0) {
                if (at(text, i) != '.') return std::nullopt;
                ++i;
            }
            for (int k = 0; k < 4; ++k) {
                if (!isHexDigit(at(text, i))) return std::nullopt;
                digits += lower(text[i++]);
            }
        }
    }
    const char sep = separator == ':' || separator == '-' ? separator : '.';
    if (isWordByte(at(text, i)) || continuesWith(text, i, sep)) return std::nullopt;
    return AddressMatch{i - start, digits};
}

namespace {

// The four parts from `start` on, without boundary checks; the end in `end`.
std::optional<std::array<unsigned, 4>> dottedQuad(std::string_view text, size_t start, size_t& end) {
    std::array<unsigned, 4> parts{};
    size_t i = start;
    for (size_t part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at(text, i) != '.') return std::nullopt;
            ++i;
        }
        unsigned value = 0;
        size_t digits = 0;
        while (isDigit(at(text, i)) && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || value > 255) return std::nullopt;
        parts[part] = value;
    }
    end = i;
    return parts;
}

std::string dottedText(const std::array<unsigned, 4>& parts) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
    return text;
}

} // namespace

std::optional<AddressMatch> ipv4AddressAt(std::string_view text, size_t start) {
    const char prev = before(text, start);
    // After a '.', the dotted number is longer (an OID, a five-part version).
    if (isWordByte(prev) || prev == '.') return std::nullopt;
    size_t end = 0;
    const auto parts = dottedQuad(text, start, end);
    if (!parts) return std::nullopt;
    if (isWordByte(at(text, end)) || (at(text, end) == '.' && isDigit(at(text, end + 1))))
        return std::nullopt;
    return AddressMatch{end - start, dottedText(*parts)};
}

std::optional<AddressMatch> ipv6AddressAt(std::string_view text, size_t start) {
    const char prev = before(text, start);
    if (isWordByte(prev) || prev == ':' || prev == '.') return std::nullopt;
    std::array<unsigned, 8> groups{};
    size_t count = 0;
    int gap = -1; // the group index where "::" stands
    size_t i = start;
    if (at(text, i) == ':' && at(text, i + 1) == ':') {
        gap = 0;
        i += 2;
    }
    while (count < 8) {
        const size_t groupStart = i;
        unsigned value = 0;
        size_t digits = 0;
        while (isHexDigit(at(text, i)) && digits < 5) {
            value = value * 16 + static_cast<unsigned>(hexValue(text[i]));
            ++i;
            ++digits;
        }
        if (digits == 0) break; // after "::" the address may end
        if (digits > 4) return std::nullopt;
        if (at(text, i) == '.') {
            // An IPv4 address as the last 32 bits.
            size_t end = 0;
            const auto parts = dottedQuad(text, groupStart, end);
            if (!parts || count > 6) return std::nullopt;
            groups[count++] = parts->at(0) << 8 | parts->at(1);
            groups[count++] = parts->at(2) << 8 | parts->at(3);
            i = end;
            break;
        }
        groups[count++] = value;
        if (at(text, i) == ':' && at(text, i + 1) == ':' && gap < 0) {
            gap = static_cast<int>(count);
            i += 2;
            continue;
        }
        if (at(text, i) == ':' && isHexDigit(at(text, i + 1))) {
            ++i;
            continue;
        }
        break;
    }
    if (gap < 0 ? count != 8 : (count < 2 || count > 7)) return std::nullopt;
    if (isWordByte(at(text, i)) || continuesWith(text, i, ':') ||
        (at(text, i) == '.' && isDigit(at(text, i + 1))))
        return std::nullopt;
    std::array<unsigned, 8> full{};
    if (gap < 0) {
        full = groups;
    } else {
        const size_t g = static_cast<size_t>(gap);
        for (size_t k = 0; k < g; ++k)
            full[k] = groups[k];
        for (size_t k = g; k < count; ++k)
            full[8 - (count - k)] = groups[k];
    }
    std::string canonical;
    for (size_t k = 0; k < 8; ++k) {
        char group[8];
        std::snprintf(group, sizeof group, k == 0 ? "%x" : ":%x", full[k]);
        canonical += group;
    }
    return AddressMatch{i - start, canonical};
}

uint32_t ipv4Value(std::string_view canonical) {
    uint32_t value = 0;
    uint32_t part = 0;
    for (const char c : canonical) {
        if (c == '.') {
            value = value << 8 | part;
            part = 0;
        } else if (isDigit(c)) {
            part = part * 10 + static_cast<uint32_t>(c - '0');
        }
    }
    return value << 8 | part;
}

bool isNetmask(uint32_t value) {
    const uint32_t inverse = ~value;
    return (inverse & (inverse + 1)) == 0;
}

std::string canonicalMac(const unsigned char* bytes, size_t count) {
    if (count != 6) return {};
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(bytes[i]));
        text += pair;
    }
    return text;
}
