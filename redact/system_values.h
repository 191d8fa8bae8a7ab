// The identifying values of this machine, read by the readers the reports
// themselves use, for the redaction of a report.
#pragma once

#include "redaction.h"

class TaskContext;

// The context runs the one WMI script that names the domain and the
// machine's serial numbers (its runner); nothing is written to it.
IdentifyingValues systemIdentifyingValues(TaskContext& context);
