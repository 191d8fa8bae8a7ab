// The operating-system section of the common environment report.
#pragma once

#include <functional>
#include <string>

struct ReportState;

// `step` runs after every write (progress and the stop test); it returns
// false when the report is to stop. Returns the newer-Windows flag.
bool writeOperatingSystemSection(ReportState& report, const std::function<bool()>& step);

// The platform word of a platform id ("NT ", "Windows ", ...).
const char* platformWord(unsigned long platformId);
