// Network addresses as they stand in report text. Each reader looks at one
// position and says whether an address starts there, how many bytes it takes
// and how it is spelled canonically, so that one address written two ways
// ("00-0C-29-AB-CD-EF" by ipconfig, "00:0c:29:ab:cd:ef" by WMI) is known as
// one. An address must stand on its own: a letter, digit or joining mark
// right before or after it makes it part of something else (a longer dotted
// number, a GUID, a word).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct AddressMatch {
    size_t length = 0;
    std::string canonical;
};

// Six pairs of hex digits joined by ':' or '-' (one of them throughout), or
// three groups of four joined by '.'; canonical: 12 lower-case hex digits.
std::optional<AddressMatch> macAddressAt(std::string_view text, size_t at);
// Four dotted decimal parts of 0 to 255; canonical: without leading zeros.
std::optional<AddressMatch> ipv4AddressAt(std::string_view text, size_t at);
// Eight groups of hex digits joined by ':', fewer with one "::", the last
// two may be a dotted IPv4 address; a zone ("%4") is not part of it.
// Canonical: the eight groups in lower-case hex without leading zeros.
std::optional<AddressMatch> ipv6AddressAt(std::string_view text, size_t at);

// The 32-bit value of a canonical IPv4 text (no checks beyond the shape).
uint32_t ipv4Value(std::string_view canonical);
// Ones from the left and zeros after them (255.255.255.0, 0.0.0.0,
// 255.255.255.255): a mask, not an address.
bool isNetmask(uint32_t value);
// 12 lower-case hex digits of a hardware address of six bytes; empty for any other length.
std::string canonicalMac(const unsigned char* bytes, size_t count);
