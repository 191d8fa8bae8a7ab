#include "report_sections.h"

#include "report_text.h"

#include <unordered_map>

namespace {

// Headings that open a section of their own without a rule in front.
constexpr const char* kOpeners[] = {
    "All active users:",
    "Microsoft Windows Password Hints - keys and values:",
    "Microsoft Windows Reinstall - keys and values:",
    "Microsoft Windows local machine Application Run at startup - keys and values:",
    "Microsoft Windows current user Application Run at startup - keys and values:",
    "Windows Application startUP: ",
    "Windows Application startUP - All Users: ",
    "Keys and values from ",
    "Internet Explorer History for user: ",
};

bool isOpener(std::string_view line) {
    for (const char* opener : kOpeners) {
        const std::string_view o(opener);
        if (line.substr(0, o.size()) == o) return true;
    }
    return false;
}

const std::string_view kTrailerStart = "Korvexer.exe -> ";

} // namespace

std::vector<ReportSection> reportSections(const std::vector<std::string_view>& lines, size_t headingLine) {
    std::vector<ReportSection> sections;
    std::unordered_map<std::string, int> seen;
    auto open = [&](std::string_view title) {
        std::string name(trimmed(title));
        if (name.empty()) name = "(untitled)";
        const int n = ++seen[name];
        if (n > 1) name += " (" + std::to_string(n) + ")";
        sections.push_back({std::move(name), {}});
    };
    if (headingLine >= lines.size()) return sections;
    open(lines[headingLine]);
    for (size_t i = headingLine + 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (isRule(line)) {
            size_t t = i + 1;
            while (t < lines.size() && trimmed(lines[t]).empty())
                ++t;
            if (t < lines.size() && lines[t].substr(0, kTrailerStart.size()) == kTrailerStart) {
                // The trailer: what follows it is not compared.
                break;
            }
            if (t >= lines.size() || isRule(lines[t])) {
                open("");
                i = t - 1;
            } else {
                open(lines[t]);
                i = t;
            }
            continue;
        }
        if (isOpener(trimmed(line))) {
            open(line);
            continue;
        }
        sections.back().lines.push_back(line);
    }
    return sections;
}
