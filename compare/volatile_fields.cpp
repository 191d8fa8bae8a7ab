#include "volatile_fields.h"

#include "report_text.h"

#include <cctype>

namespace {

// The sections a field lives in.
enum Area : unsigned {
    kOperatingSystem = 1 << 0, // the operating system's figures read through WMI
    kMemoryStatus = 1 << 1,
    kSystemInfo = 1 << 2, // systeminfo's output
    kProcesses = 1 << 3,
    kLogicalDrives = 1 << 4,
    kDisks = 1 << 5,
    kUserEnvironment = 1 << 6,
    kAdapters = 1 << 7,     // the adapters as the IP helper describes them
    kNetworkTools = 1 << 8, // ipconfig's, netstat's and nbtstat's output
};

struct AreaTitle {
    const char* title; // the section's title starts with it
    Area area;
};

constexpr AreaTitle kAreaTitles[] = {
    {"OperatingSystem:", kOperatingSystem},
    {"MemoryStatus:", kMemoryStatus},
    {"Windows Local systeminfo:", kSystemInfo},
    {"Tasklist - Processes and Threads:", kProcesses},
    {"Service Properties:", kProcesses}, // each service's process id
    {"Running Service Processes:", kProcesses},
    {"Logical Drives:", kLogicalDrives},
    {"NTFS:", kDisks},
    {"IDE drives installed:", kDisks},
    {"Physical Disk Description", kDisks},
    {"User / Windows Environment:", kUserEnvironment},
    {"Network:", kAdapters},
};

// The network tools' output follows a rule with no heading of its own: its
// title is ipconfig's first line, which differs by version (and is the host
// name under some). netstat's own headings in it tell the section.
unsigned areaOf(std::string_view title, const std::vector<std::string_view>& lines) {
    for (const AreaTitle& a : kAreaTitles)
        if (startsWith(title, a.title)) return a.area;
    if (startsWith(title, "Windows IP Configuration")) return kNetworkTools;
    for (std::string_view line : lines) {
        const std::string_view bare = trimmed(line);
        if (bare == "Active Connections" || bare == "Interface Statistics") return kNetworkTools;
    }
    return 0;
}

enum class Match {
    Prefix,     // the line starts with the rule's text
    Contains,   // the line holds the rule's text
    Counter,    // a name, then only numbers: "Bytes   5421   5777", "Active Opens   = 12"
    Connection, // a TCP connection in a state other than listening
};
enum class Action {
    Drop,             // the whole line
    MaskNumberBefore, // the number right in front of the rule's text
};

struct VolatileRule {
    const char* name; // as the output names it
    unsigned areas;   // the sections it applies to
    Match match;
    const char* text; // compared with the line without its leading blanks
    Action action;
};

// Found by comparing reports of one machine taken a minute apart, and from
// the fields the WMI runs and console tools print that count or time things.
constexpr VolatileRule kRules[] = {
    {"free physical memory", kOperatingSystem, Match::Prefix, "FreePhysicalMemory:", Action::Drop},
    {"free physical memory", kMemoryStatus, Match::Contains, "free Kbytes of physical memory", Action::Drop},
    {"free physical memory", kSystemInfo, Match::Prefix, "Available Physical Memory:", Action::Drop},
    {"free virtual memory and paging file", kOperatingSystem, Match::Prefix,
     "FreeVirtualMemory:", Action::Drop},
    {"free virtual memory and paging file", kOperatingSystem, Match::Prefix,
     "FreeSpaceInPagingFiles:", Action::Drop},
    {"free virtual memory and paging file", kMemoryStatus, Match::Contains, "free Kbytes of virtual memory",
     Action::Drop},
    {"free virtual memory and paging file", kMemoryStatus, Match::Contains, "free Kbytes of paging file",
     Action::Drop},
    {"free virtual memory and paging file", kSystemInfo, Match::Prefix,
     "Virtual Memory: Available:", Action::Drop},
    {"free virtual memory and paging file", kSystemInfo, Match::Prefix,
     "Virtual Memory: In Use:", Action::Drop},
    {"free disk space", kLogicalDrives, Match::Contains, " byte free", Action::MaskNumberBefore},
    {"free disk space", kDisks, Match::Prefix, "Free Space:", Action::Drop},
    {"process and thread ids and counts", kProcesses, Match::Prefix, "Process ID:", Action::Drop},
    {"process and thread ids and counts", kProcesses, Match::Prefix, "Thread Count ", Action::Drop},
    {"process and thread ids and counts", kOperatingSystem, Match::Prefix,
     "NumberOfProcesses:", Action::Drop},
    {"process and thread ids and counts", kOperatingSystem, Match::Prefix, "NumberOfUsers:", Action::Drop},
    {"process and thread ids and counts", kProcesses, Match::Prefix, "Handle Count:", Action::Drop},
    {"process and thread ids and counts", kProcesses, Match::Prefix, "Thread Count:", Action::Drop},
    {"memory, page faults and processor time of each process", kProcesses, Match::Prefix,
     "Working Set Size:", Action::Drop},
    {"memory, page faults and processor time of each process", kProcesses, Match::Prefix,
     "Page File Size:", Action::Drop},
    {"memory, page faults and processor time of each process", kProcesses, Match::Prefix,
     "Page Faults:", Action::Drop},
    {"memory, page faults and processor time of each process", kProcesses, Match::Prefix,
     "KernelModeTime:", Action::Drop},
    {"window handles and the count of a process's windows", kProcesses, Match::Contains,
     " - Active window handle: ", Action::MaskNumberBefore},
    {"window handles and the count of a process's windows", kProcesses, Match::Contains,
     " open window handles, visible: ", Action::Drop},
    {"times and dates of the run", kOperatingSystem, Match::Prefix, "LocalDateTime:", Action::Drop},
    {"times and dates of the run", kOperatingSystem, Match::Prefix, "LastBootUpTime:", Action::Drop},
    {"times and dates of the run", kSystemInfo, Match::Prefix, "System Boot Time:", Action::Drop},
    {"times and dates of the run", kSystemInfo, Match::Prefix, "System Up Time:", Action::Drop},
    {"times and dates of the run", kNetworkTools, Match::Prefix, "Statistics since ", Action::Drop},
    // A lease is renewed on its own, halfway through its time.
    {"times of the DHCP leases", kNetworkTools, Match::Prefix, "Lease Obtained", Action::Drop},
    {"times of the DHCP leases", kNetworkTools, Match::Prefix, "Lease Expires", Action::Drop},
    {"times of the DHCP leases", kAdapters, Match::Prefix, "Lease Obtained:", Action::Drop},
    // Listening ports and bound UDP ports are the machine's services and are
    // compared: a program installed between the reports may open one.
    {"network traffic counters and connections (listening ports are compared)", kNetworkTools, Match::Counter,
     "", Action::Drop},
    {"network traffic counters and connections (listening ports are compared)", kNetworkTools,
     Match::Connection, "TCP", Action::Drop},
    {"the folder the report was run from", kUserEnvironment, Match::Prefix,
     "Current directory: ", Action::Drop},
};

std::string numberMaskedBefore(std::string_view line, std::string_view text) {
    const size_t at = line.find(text);
    size_t begin = at;
    while (begin > 0 && ((line[begin - 1] >= '0' && line[begin - 1] <= '9') || line[begin - 1] == '.' ||
                         line[begin - 1] == ','))
        --begin;
    return std::string(line.substr(0, begin)) + "#" + std::string(line.substr(at));
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

bool isNumber(std::string_view word) {
    if (word.empty()) return false;
    for (char c : word)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// netstat's statistics: a name of words set apart from its figures by a column
// gap or " = ". A single blank is no gap ("Local Area Connection 2" is a name).
bool isCounter(std::string_view bare) {
    if (bare.empty() || !std::isalpha(static_cast<unsigned char>(bare[0]))) return false;
    auto gapChar = [](char c) { return c == ' ' || c == '\t' || c == '='; };
    size_t end = bare.size();
    size_t figuresStart = bare.size();
    while (end > 0) {
        size_t start = end;
        while (start > 0 && !gapChar(bare[start - 1]))
            --start;
        if (!isNumber(bare.substr(start, end - start))) break;
        figuresStart = start;
        end = start;
        while (end > 0 && gapChar(bare[end - 1]))
            --end;
    }
    if (figuresStart == bare.size() || end == 0) return false;
    const std::string_view gap = bare.substr(end, figuresStart - end);
    return gap.size() >= 2 || gap.find('=') != std::string_view::npos;
}

// "TCP  local:port  remote:port  STATE": a connection comes and goes; one in
// LISTENING is a service waiting for them and stays.
bool isConnection(std::string_view bare) {
    const std::vector<std::string_view> w = words(bare);
    return w.size() == 4 && w[0] == "TCP" && w[1].find(':') != std::string_view::npos &&
           w[2].find(':') != std::string_view::npos && w[3] != "LISTENING" && w[3] != "LISTEN";
}

bool matches(const VolatileRule& rule, std::string_view bare) {
    const std::string_view text(rule.text);
    switch (rule.match) {
    case Match::Prefix:
        return startsWith(bare, text);
    case Match::Contains:
        return bare.find(text) != std::string_view::npos;
    case Match::Counter:
        return isCounter(bare);
    case Match::Connection:
        return isConnection(bare);
    }
    return false;
}

} // namespace

std::vector<std::string> comparedLines(std::string_view sectionTitle,
                                       const std::vector<std::string_view>& lines) {
    const unsigned area = areaOf(sectionTitle, lines);
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    for (std::string_view line : lines) {
        const std::string_view bare = trimmed(line);
        bool dropped = false;
        std::string compared(line);
        for (const VolatileRule& rule : kRules) {
            if ((rule.areas & area) == 0 || !matches(rule, bare)) continue;
            if (rule.action == Action::Drop)
                dropped = true;
            else
                compared = numberMaskedBefore(line, rule.text);
            break;
        }
        if (!dropped) kept.push_back(std::move(compared));
    }
    return kept;
}

std::vector<std::string> volatileFieldNames() {
    std::vector<std::string> names;
    for (const VolatileRule& rule : kRules)
        if (names.empty() || names.back() != rule.name) names.push_back(rule.name);
    return names;
}
