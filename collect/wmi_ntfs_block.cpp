// The NTFS block of run J: no WMI query, five values of the file-system key
// read through the script host's shell object, each turned into one text.
#include "wmi_runs.h"

#include "runner/wmi_script.h"

#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kKeyPath = "HKLM\\System\\CurrentControlSet\\Control\\FileSystem";

// One branch of a decision: the condition and its text. A text given in two
// pieces is echoed as two literals joined over a continuation line.
struct Branch {
    const char* condition;
    const char* text;
    const char* rest = nullptr;
};

struct Decision {
    const char* valueName;
    std::vector<Branch> branches; // the first is the missing value's
};

const Decision kDecisions[] = {
    {"NtfsDisable8dot3NameCreation",
     {{"IsNull(strRegKey)", "No value set for disabling 8.3 file name creation."},
      {"strRegKey = 1", "No 8.3 file names will be created for new files."},
      {"strRegKey = 0", "8.3 file names will be created for new files."}}},
    {"NtfsAllowExtendedCharacterIn8Dot3Name",
     {{"IsNull(strRegKey)", "No value set for allowing extended characters in ", " 8.3 file names."},
      {"strRegKey = 1", "Extended characters are permitted in 8.3 file names."},
      {"strRegKey = 0", "Extended characters not permitted in 8.3 file names."}}},
    {"NtfsMftZoneReservation",
     {{"IsNull(strRegKey)", "No value set for reserving the MFT zone."},
      {"strRegKey = 1", "One-eighth of the disk has been reserved for the MFT zone."},
      {"strRegKey = 2", "One-fourth of the disk reserved for the MFT zone."},
      {"strRegKey = 3", "Three-eighths of the disk reserved for the MFT zone."},
      {"strRegKey = 4", "One half of the disk reserved for the MFT zone."}}},
    {"NtfsDisableLastAccessUpdate",
     {{"IsNull(strRegKey)", "No value set for disabling the last access update ", "for files and folder."},
      {"strRegKey = 1", "The last access timestamp will not be updated on files ", "and folders."},
      {"strRegKey = 0", "The last access timestamp updated on files and ", "folders."}}},
    {"Win31FileSystem",
     {{"IsNull(strRegKey)", "No value set for using long file names and ", "timestamps."},
      {"strRegKey = 1", "Long file names and extended timestamps are used."},
      {"strRegKey = 0", "Long file names and extended timestamps are not used."}}},
};

} // namespace

ScriptLines ntfsBlockLines() {
    WmiBlock header;
    header.title = "NTFS:";
    ScriptLines lines = headerLines(header);
    lines.push_back("Set objShell = WScript.CreateObject(\"WScript.Shell\")");
    // Empty, a first value that cannot be read would count as 0 and be
    // reported as set.
    lines.push_back("strRegKey = Null");
    const std::string key = kKeyPath;
    for (const Decision& decision : kDecisions) {
        const bool last = &decision == &kDecisions[std::size(kDecisions) - 1];
        // A value that cannot be read leaves strRegKey as it was: the reset
        // after each decision makes the next missing value read as Null.
        if (last)
            lines.push_back("strRegKey = objShell.RegRead(\"" + key + "\\" + decision.valueName + "\")");
        else
            lines.push_back("strRegKey = objShell.RegRead(\"" + key + "\" & \"\\" + decision.valueName +
                            "\")");
        for (size_t i = 0; i < decision.branches.size(); ++i) {
            const Branch& branch = decision.branches[i];
            lines.push_back(std::string(i == 0 ? "If " : "ElseIf ") + branch.condition + " Then");
            if (branch.rest == nullptr) {
                lines.push_back("    Wscript.Echo \"" + std::string(branch.text) + "\"");
            } else {
                lines.push_back("    Wscript.Echo \"" + std::string(branch.text) + "\" _");
                lines.push_back("        & \"" + std::string(branch.rest) + "\"");
            }
        }
        lines.push_back("End If");
        if (!last) lines.push_back("strRegKey = Null");
    }
    return lines;
}
