#include "volatile_fields.h"

#include "report_text.h"

namespace {

enum class Match { Prefix, Contains };
enum class Action {
    Drop,             // the whole line
    MaskNumberBefore, // the number right in front of the rule's text
};

struct VolatileRule {
    const char* name;    // as the output names it
    const char* section; // the section's title starts with it; nullptr: any section
    Match match;
    const char* text; // compared with the line without its leading blanks
    Action action;
};

// Found by comparing reports of one machine taken a minute apart, and from
// the fields the WMI runs and console tools print that count or time things.
constexpr VolatileRule kRules[] = {
    {"free physical memory", nullptr, Match::Prefix, "FreePhysicalMemory:", Action::Drop},
    {"free physical memory", nullptr, Match::Contains, "free Kbytes of physical memory", Action::Drop},
    {"free physical memory", nullptr, Match::Prefix, "Available Physical Memory:", Action::Drop},
    {"free virtual memory and paging file", nullptr, Match::Prefix, "FreeVirtualMemory:", Action::Drop},
    {"free virtual memory and paging file", nullptr, Match::Prefix, "FreeSpaceInPagingFiles:", Action::Drop},
    {"free virtual memory and paging file", nullptr, Match::Contains, "free Kbytes of virtual memory",
     Action::Drop},
    {"free virtual memory and paging file", nullptr, Match::Contains, "free Kbytes of paging file",
     Action::Drop},
    {"free virtual memory and paging file", nullptr, Match::Prefix,
     "Virtual Memory: Available:", Action::Drop},
    {"free virtual memory and paging file", nullptr, Match::Prefix, "Virtual Memory: In Use:", Action::Drop},
    {"free disk space", "Logical Drives:", Match::Contains, " byte free", Action::MaskNumberBefore},
    {"free disk space", nullptr, Match::Prefix, "Free Space:", Action::Drop},
    {"process and thread ids and counts", nullptr, Match::Prefix, "Process ID:", Action::Drop},
    {"process and thread ids and counts", nullptr, Match::Prefix, "Thread Count ", Action::Drop},
    {"process and thread ids and counts", nullptr, Match::Prefix, "NumberOfProcesses:", Action::Drop},
    {"process and thread ids and counts", nullptr, Match::Prefix, "NumberOfUsers:", Action::Drop},
    {"process and thread ids and counts", nullptr, Match::Prefix, "Handle Count:", Action::Drop},
    {"process and thread ids and counts", nullptr, Match::Prefix, "Thread Count:", Action::Drop},
    {"memory, page faults and processor time of each process", nullptr, Match::Prefix,
     "Working Set Size:", Action::Drop},
    {"memory, page faults and processor time of each process", nullptr, Match::Prefix,
     "Page File Size:", Action::Drop},
    {"memory, page faults and processor time of each process", nullptr, Match::Prefix,
     "Page Faults:", Action::Drop},
    {"memory, page faults and processor time of each process", nullptr, Match::Prefix,
     "KernelModeTime:", Action::Drop},
    {"window handles and the count of a process's windows", nullptr, Match::Contains,
     " - Active window handle: ", Action::MaskNumberBefore},
    {"window handles and the count of a process's windows", nullptr, Match::Contains,
     " open window handles, visible: ", Action::Drop},
    {"times and dates of the run", nullptr, Match::Prefix, "LocalDateTime:", Action::Drop},
    {"times and dates of the run", nullptr, Match::Prefix, "LastBootUpTime:", Action::Drop},
    {"times and dates of the run", nullptr, Match::Prefix, "System Boot Time:", Action::Drop},
    {"times and dates of the run", nullptr, Match::Prefix, "System Up Time:", Action::Drop},
    {"times and dates of the run", nullptr, Match::Prefix, "Statistics since ", Action::Drop},
    {"network traffic counters and open connections", nullptr, Match::Prefix, "TCP ", Action::Drop},
    {"network traffic counters and open connections", nullptr, Match::Prefix, "UDP ", Action::Drop},
    {"network traffic counters and open connections", nullptr, Match::Prefix, "Bytes ", Action::Drop},
    {"network traffic counters and open connections", nullptr, Match::Contains, "packets ", Action::Drop},
    {"network traffic counters and open connections", nullptr, Match::Prefix, "Discards ", Action::Drop},
    {"network traffic counters and open connections", nullptr, Match::Prefix, "Errors ", Action::Drop},
    {"network traffic counters and open connections", nullptr, Match::Prefix, "Unknown protocols ",
     Action::Drop},
    {"the folder the report was run from", nullptr, Match::Prefix, "Current directory: ", Action::Drop},
};

std::string numberMaskedBefore(std::string_view line, std::string_view text) {
    const size_t at = line.find(text);
    size_t begin = at;
    while (begin > 0 && ((line[begin - 1] >= '0' && line[begin - 1] <= '9') || line[begin - 1] == '.' ||
                         line[begin - 1] == ','))
        --begin;
    return std::string(line.substr(0, begin)) + "#" + std::string(line.substr(at));
}

bool matches(const VolatileRule& rule, std::string_view sectionTitle, std::string_view bare) {
    if (rule.section != nullptr &&
        sectionTitle.substr(0, std::string_view(rule.section).size()) != rule.section)
        return false;
    const std::string_view text(rule.text);
    return rule.match == Match::Prefix ? bare.substr(0, text.size()) == text
                                       : bare.find(text) != std::string_view::npos;
}

} // namespace

std::optional<std::string> comparedLine(std::string_view sectionTitle, std::string_view line) {
    const std::string_view bare = trimmed(line);
    for (const VolatileRule& rule : kRules) {
        if (!matches(rule, sectionTitle, bare)) continue;
        if (rule.action == Action::Drop) return std::nullopt;
        return numberMaskedBefore(line, rule.text);
    }
    return std::string(line);
}

std::vector<std::string> volatileFieldNames() {
    std::vector<std::string> names;
    for (const VolatileRule& rule : kRules)
        if (names.empty() || names.back() != rule.name) names.push_back(rule.name);
    return names;
}
