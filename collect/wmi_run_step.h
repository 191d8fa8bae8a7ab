// One WMI run of the common report as a step: its lead text, its script
// assembled in the script buffer, the runner call.
#pragma once

#include "wmi_runs.h"

struct CommonReport;

// Writes the run's lead (with a progress step after it), assembles the
// script and runs it; a task-list capture goes to the report's captured task
// list. A script that does not fit the script buffer is not run at all: the
// report says which run was left out. False once a halt was seen.
bool runWmi(CommonReport& report, const WmiRun& run);

// The same for lines of the caller's (tests give oversized ones).
bool runWmiLines(CommonReport& report, const WmiRun& run, const ScriptLines& lines);
