// A report cut into its sections: a section opens at the report's heading,
// after each rule of 75 "=" (its title is the first line after the rule that
// is not blank), and at the few headings the reports write without a rule in
// front. The trailer is no section: it is set apart.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ReportSection {
    std::string title;                   // unique within the report ("title (2)" for a repeat)
    std::vector<std::string_view> lines; // the section's lines after its title
};

std::vector<ReportSection> reportSections(const std::vector<std::string_view>& lines, size_t headingLine);
