// "/compare OLD NEW [OUT]": two report files compared, the comparison written
// to OUT (beside it first, put in place when complete) or to standard output.
#pragma once

#include "command_line.h"

#include <string>

class ConsoleStreams;

// Reports are text of a few megabytes, a whole HKLM dump some tens: a file
// above this is no report, and two of them would not fit in memory as entries.
inline constexpr unsigned long kLargestComparedReport = 128ul << 20;

// The file's bytes; false with a one-line reason when it cannot be read or is
// larger than `limit`.
bool readReportFile(const std::string& path, unsigned long limit, std::string& bytes, std::string& reason);

int runCompareFromCommandLine(const CommandLine& line, ConsoleStreams& console);
