// A report with the values that identify the machine and its people taken
// out: each value becomes a placeholder that names its kind ("<user-2>"),
// the same value the same placeholder throughout, so the report stays
// readable and comparable. Pure: the values come in, the text goes out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An adapter's hardware address, and the number the report's adapter block
// makes of it ("Adapter Addr:").
struct HardwareAddress {
    std::vector<uint8_t> bytes;
    long reportNumber = 0;
};

// What this machine is known by, as the report's own readers found it.
struct IdentifyingValues {
    std::vector<std::string> computerNames; // NetBIOS and DNS host names
    std::vector<std::string> domains;       // workgroup, NetBIOS domain, DNS domain
    std::vector<std::string> userNames;     // the user, the local accounts, the profiles' owners
    std::vector<std::string> fullNames;     // the local accounts' full names (people's names)
    std::vector<std::string> owners;        // registered owner
    std::vector<std::string> companies;     // registered organization
    std::vector<HardwareAddress> hardwareAddresses;
    std::vector<std::string> ipAddresses;
    std::vector<unsigned long> volumeSerials;
    std::vector<std::string> serials; // BIOS, board, memory, drives
    std::vector<std::string> productIds;
    std::vector<std::string> profileFolders; // folders that hold the profiles ("C:\Documents and Settings")
};

struct Redaction {
    // The summary line, then the report with its line ends as they were.
    std::string text;
    // "Redacted: 1 computer name, 2 user names, ..." (kinds and counts only).
    std::string summary;
};

// Where a value stands decides whether it is replaced:
// - Names (computer, domain, user) that might also be ordinary words ("Admin",
//   "root", "Office") only where they stand for the name: as a field's whole
//   value ("User name:   Admin", "USERNAME=Admin", an account entry
//   "Name: Admin: ", a registry value's whole data after its name in
//   listings without a colon, "\t Hostname PC"), as a profile's folder
//   ("...\Users\Admin\...", "...\jsmith.ACME.000\..."), in DOMAIN\user and
//   \\COMPUTER forms, as COMPUTER:port, as the host of a fully qualified
//   name, in a NetBIOS name table ("PC   <00>  UNIQUE") and a user's as the
//   mailbox of an address ("jsmith@..."). Case does not matter, as to Windows.
// - Registered owner and company, and the accounts' full names: as a field's
//   whole value; "Full name:" whatever the value.
// - Distinctive values (product ids, serials, a DNS domain with a dot, a
//   hardware address written without separators or as the bytes of a
//   binary value) wherever they stand alone.
// - Fields by their label, whatever the value: serial numbers ("Serial:",
//   "SerialNumber:"), product ids and keys ("ProductId:", "DigitalProductId:"
//   with its hex lines below), registered owner, user and organization, and
//   the adapter number the report derives from the hardware address.
// - Hardware addresses in their three spellings and IPv4 and IPv6 addresses
//   anywhere. Kept: loopback, unspecified and broadcast addresses, network
//   masks, dotted numbers that end in ".0.0" (a network's number or a
//   version, never a machine's), and dotted numbers that are versions: after
//   a label ending in "version" or "ver", or in a column that follows a file
//   name (the module tables); "12.100.200.100 byte" (a grouped number) and
//   object identifiers in a path below a key named OID.
//   A known address of an adapter is replaced wherever it stands.
// Longer values are tried before shorter ones, so a value that contains
// another is replaced whole.
Redaction redact(std::string_view report, const IdentifyingValues& values);
