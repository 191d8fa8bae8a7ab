// The WMI runs of the common environment report, as data for the script builder.
#pragma once

#include <string>
#include <vector>

// Run A: the operating system; the short block before Windows XP, the long one from XP on.
std::vector<std::string> operatingSystemRunLines(bool newerWindows);

// Run Q: the process list whose lines the runner counts to learn how many
// copies of the program are running. Only the process names matter there.
std::vector<std::string> processCountRunLines();
