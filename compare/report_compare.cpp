#include "report_compare.h"

#include "report_sections.h"
#include "report_text.h"
#include "section_entries.h"
#include "volatile_fields.h"

#include <unordered_map>
#include <unordered_set>

namespace {

struct ReadReport {
    std::string kind;
    std::vector<ReportSection> sections;
};

ReadReport readReport(std::string_view text) {
    ReadReport report;
    const std::vector<std::string_view> lines = reportLines(text);
    size_t heading = 0;
    report.kind = reportKind(lines, &heading);
    if (!report.kind.empty()) report.sections = reportSections(lines, heading);
    return report;
}

EntryList entriesOf(const ReportSection& section) {
    return sectionEntries(section.title, comparedLines(section.title, section.lines));
}

// A value as shown: long data (binary values run to kilobytes) is cut.
std::string shown(const std::string& value) {
    constexpr size_t kShown = 200;
    if (value.size() <= kShown) return value;
    return value.substr(0, kShown) + "...";
}

std::string describe(const Entry& entry) {
    return entry.value.empty() ? entry.label : entry.label + " = " + shown(entry.value);
}

// The entries of `from` that `to` lacks, an entry whose parent is gone with
// it counted with that parent rather than shown: a key removed with its
// values is one difference.
std::vector<std::string> onlyIn(const EntryList& from, const EntryList& to, const char* how) {
    std::unordered_map<std::string, std::string> topOf; // id of a gone entry -> the gone entry it counts with
    std::unordered_map<std::string, size_t> under;
    std::vector<const Entry*> shownEntries;
    for (const Entry& entry : from.entries()) {
        if (to.find(entry.id) != nullptr) continue;
        auto parentTop = entry.parent.empty() ? topOf.end() : topOf.find(entry.parent);
        if (parentTop != topOf.end()) {
            topOf[entry.id] = parentTop->second;
            ++under[parentTop->second];
            continue;
        }
        topOf[entry.id] = entry.id;
        shownEntries.push_back(&entry);
    }
    std::vector<std::string> out;
    for (const Entry* entry : shownEntries) {
        std::string line = std::string("  ") + how + describe(*entry);
        const size_t n = under[entry->id];
        if (n > 0) line += " (with " + std::to_string(n) + (n == 1 ? " entry" : " entries") + " under it)";
        out.push_back(std::move(line));
    }
    return out;
}

std::vector<std::string> changedIn(const EntryList& before, const EntryList& after) {
    std::vector<std::string> out;
    for (const Entry& entry : before.entries()) {
        const Entry* now = after.find(entry.id);
        if (now == nullptr || now->value == entry.value) continue;
        out.push_back("  changed: " + entry.label + ": " + shown(entry.value) + " -> " + shown(now->value));
    }
    return out;
}

size_t contentLines(const ReportSection& section) {
    size_t n = 0;
    for (std::string_view line : section.lines)
        if (!trimmed(line).empty()) ++n;
    return n;
}

std::string sectionLabel(const std::string& title) {
    return "[" + title + "]";
}

} // namespace

Comparison compareReports(std::string_view oldText, std::string_view newText, const std::string& oldName,
                          const std::string& newName) {
    Comparison result;
    const ReadReport before = readReport(oldText);
    if (before.kind.empty()) {
        result.trouble = oldName + " is not a Korvexer report";
        return result;
    }
    const ReadReport after = readReport(newText);
    if (after.kind.empty()) {
        result.trouble = newName + " is not a Korvexer report";
        return result;
    }
    if (before.kind != after.kind) {
        result.trouble = "the reports are of different kinds: " + oldName + " is a " + before.kind +
                         " report, " + newName + " a " + after.kind + " report";
        return result;
    }

    std::string& out = result.text;
    out = "Comparison of two Korvexer reports (" + before.kind + ")\r\n";
    out += "Old: " + oldName + "\r\nNew: " + newName + "\r\n";
    out += "Left out, as they change on their own:";
    for (const std::string& name : volatileFieldNames())
        out += "\r\n  - " + name;
    out += "\r\n  - the trailer\r\n";

    std::unordered_map<std::string, const ReportSection*> newByTitle;
    for (const ReportSection& s : after.sections)
        newByTitle.emplace(s.title, &s);
    std::unordered_set<std::string> oldTitles;
    size_t differences = 0;
    auto emit = [&](const std::string& title, const std::vector<std::string>& lines) {
        if (lines.empty()) return;
        out += "\r\n" + sectionLabel(title) + "\r\n";
        for (const std::string& line : lines)
            out += line + "\r\n";
        differences += lines.size();
    };
    for (const ReportSection& section : before.sections) {
        oldTitles.insert(section.title);
        auto match = newByTitle.find(section.title);
        if (match == newByTitle.end()) {
            emit(section.title,
                 {"  removed: the whole section (" + std::to_string(contentLines(section)) + " lines)"});
            continue;
        }
        const EntryList a = entriesOf(section);
        const EntryList b = entriesOf(*match->second);
        std::vector<std::string> lines = onlyIn(a, b, "removed: ");
        for (std::string& line : onlyIn(b, a, "added:   "))
            lines.push_back(std::move(line));
        for (std::string& line : changedIn(a, b))
            lines.push_back(std::move(line));
        emit(section.title, lines);
    }
    for (const ReportSection& section : after.sections)
        if (oldTitles.find(section.title) == oldTitles.end())
            emit(section.title,
                 {"  added:   the whole section (" + std::to_string(contentLines(section)) + " lines)"});

    out += "\r\n";
    out += differences == 0
               ? std::string("No differences.")
               : std::to_string(differences) + (differences == 1 ? " difference." : " differences.");
    out += "\r\n";
    result.outcome = differences == 0 ? Comparison::Outcome::Same : Comparison::Outcome::Different;
    return result;
}
