// What changes between two reports of an unchanged machine: free memory and
// disk space, process and thread ids, counters, connections, the time of the
// run. Each rule is a row, bound to the sections where its field is written:
// elsewhere (a registry value whose text says "packets ") the same words are
// data and compared. The output names every row in its first lines, so a
// reader knows what the comparison did not look at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The section's lines as compared: each unchanged, with its changing part
// masked, or left out.
std::vector<std::string> comparedLines(std::string_view sectionTitle,
                                       const std::vector<std::string_view>& lines);

// The rows' names, in table order, each named once.
std::vector<std::string> volatileFieldNames();
