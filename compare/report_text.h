// A report as the comparison reads it: its lines without their line ends
// (CR LF and CR CR LF alike, so a report saved from the window and one
// written by /report read the same), and its kind, told by its heading.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lines of `text`, each without its line end. A first line "Redacted: ..."
// (what a redacted report says it left out) is not part of the report and is
// dropped. The views point into `text`.
std::vector<std::string_view> reportLines(std::string_view text);

// Leading and trailing blanks and tabs removed.
std::string_view trimmed(std::string_view text);

bool startsWith(std::string_view text, std::string_view prefix);

// The report kind ("common", "services", "hkcu", ...), as the command line
// names it, or empty when the heading is no report's. `headingLine` receives
// the index of the heading line.
std::string reportKind(const std::vector<std::string_view>& lines, size_t* headingLine = nullptr);

// The rule of 75 "=" that opens most sections and the trailer.
bool isRule(std::string_view line);
