// The module table of one process: module paths kept in ascending order, and
// one tab-separated line per module with its version data, size and time.
// Pure: the system's answers come in as data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace moduletable {

// True for the first byte of a double-byte character in the ANSI code page.
using LeadByteTest = bool (*)(unsigned char);

// Compares character by character, a double-byte character as one unit
// (lead byte high), as the C library's multibyte comparison does.
int compareMultibyte(std::string_view a, std::string_view b, LeadByteTest isLead);

// Inserts `path` before the first entry that compares greater than or equal
// to it, so the list stays ascending; equal paths are all kept.
void insertInOrder(std::vector<std::string>& list, std::string path, LeadByteTest isLead);

struct CivilTime {
    int year = 0;
    int month = 1; // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "March 05, 2024 14:03:09".
std::string formatModifiedTime(const CivilTime& time);

struct ModuleFacts {
    std::string path;
    std::string fileVersion;
    std::string fileDescription;
    std::string productName;
    std::string productVersion;
    bool fileKnown = false; // size and time were read
    uint64_t size = 0;
    CivilTime modified;
};

// path, file version, size, time, description, product name, product
// version, tab-separated, ending in "\n"; "?" for the size and the time of a
// file that could not be examined. A tab or line end inside a value (version
// texts come from other people's files) becomes a blank, so every module
// stays one line of seven columns.
std::string moduleLine(const ModuleFacts& module);

} // namespace moduletable
