// The policies report: the .inf lines that write policy registry entries, then
// the four policy trees of the registry.
#pragma once

#include "inf_lines.h"

#include <string>

class TaskContext;

// Lists the matching lines of every "*.inf" file in `infFolder` (with or
// without its trailing backslash), one "\t" line each, a progress step after
// each. False when a halt was requested on the way.
bool writeInfPolicyLines(TaskContext& context, const std::string& infFolder);

// The whole report, the "inf" folder being the Windows folder's.
void writePoliciesReport(TaskContext& context);
// The same over another folder of .inf files (benchmarks, tests).
void writePoliciesReport(TaskContext& context, const std::string& infFolder);
