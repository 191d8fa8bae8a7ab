#include "report_text.h"

namespace {

// How each report begins. The window's task header ("Getting ...") may stand
// in front when the text was saved from the window, so it is skipped.
struct KindHeading {
    const char* kind;
    const char* heading; // the first line of the report, leading blanks aside
};

constexpr KindHeading kKindHeadings[] = {
    {"common", "User / Windows Environment:"},
    {"policies", "Windows system Policies config for the Windows Registration Database:"},
    {"services", "Services in CurrentControlSet:"},
    {"apppaths", "Microsoft Windows Application Path - keys and values from Registry:"},
    // App Paths without its key starts with the installed software.
    {"apppaths", "Installed Software using Windows Installer:"},
    // The IE report starts with whichever of its parts this machine has.
    {"ie", "Internet Explorer History for user:"},
    {"ie", "NB: IE history and user cookies in disable mode for all users!!"},
    {"ie", "IE history - typed URLs for current user:"},
    {"ie", "IE Trusted Sites for current user:"},
    {"hkcr", "HKEY_CLASSES_ROOT Registry:"},
    {"hkcu", "HKEY_CURRENT_USER Registry:"},
    {"hklm", "HKEY_LOCAL_MACHINE Registry:"},
    {"hku", "HKEY_USERS Registry:"},
    {"hkcc", "HKEY_CURRENT_CONFIG Registry:"},
};

// Lines that may come before the heading: the window's task headers.
constexpr const char* kPreambles[] = {"Getting Services ...", "Getting IE information ...",
                                      "Getting App Paths ...", "Getting policies ...",
                                      "Getting Common Windows Environment .."};

// How many lines at the top may pass before the heading must have come.
constexpr size_t kHeadingWithin = 8;

} // namespace

std::string_view trimmed(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    size_t end = text.size();
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string_view> reportLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        size_t stop = end;
        while (stop > start && text[stop - 1] == '\r')
            --stop;
        lines.push_back(text.substr(start, stop - start));
        start = next;
    }
    if (!lines.empty() && startsWith(lines.front(), "Redacted:")) lines.erase(lines.begin());
    return lines;
}

bool isRule(std::string_view line) {
    return line.size() == 75 && line.find_first_not_of('=') == std::string_view::npos;
}

std::string reportKind(const std::vector<std::string_view>& lines, size_t* headingLine) {
    size_t seen = 0;
    for (size_t i = 0; i < lines.size() && seen < kHeadingWithin; ++i) {
        std::string_view line = trimmed(lines[i]);
        if (line.empty() || isRule(line)) continue;
        ++seen;
        bool preamble = false;
        for (const char* p : kPreambles)
            if (startsWith(line, p)) preamble = true;
        if (startsWith(line, "Getting HKEY_")) line.remove_prefix(8); // a hive's task header
        for (const KindHeading& k : kKindHeadings) {
            if (startsWith(line, k.heading)) {
                if (headingLine != nullptr) *headingLine = i;
                return k.kind;
            }
        }
        if (!preamble) return {};
    }
    return {};
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
