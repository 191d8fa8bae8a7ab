// The WMI runs of the common environment report, as data for the script builder.
#pragma once

#include <string>
#include <vector>

// Run A: the operating system; the short block before Windows XP, the long one from XP on.
std::vector<std::string> operatingSystemRunLines(bool newerWindows);
