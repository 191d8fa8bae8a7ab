// What changes between two reports of an unchanged machine: free memory and
// disk space, process and thread ids, counters, the time of the run. Each rule
// is a row: the output names every row in its first lines, so a reader knows
// what the comparison did not look at.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The line as compared: unchanged, with its changing part masked, or nothing
// (the line is left out).
std::optional<std::string> comparedLine(std::string_view sectionTitle, std::string_view line);

// The rows' names, in table order, each named once.
std::vector<std::string> volatileFieldNames();
