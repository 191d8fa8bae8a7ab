// The "IDE drives installed:" section of the common environment report,
// written only for administrators (only they may send drive commands).
#pragma once

#include "smart_attributes.h"

class DriveProbe;
class TaskContext;

// Header, the probe of the system's drives on the running platform, closing
// "\n". `width` measures text in the report view's font.
void writeIdeDrivesSection(TaskContext& context, const TextWidth& width);

// The same around a probe of the caller's, on platform `platformId`.
void writeIdeDrivesSection(TaskContext& context, DriveProbe& probe, unsigned long platformId);
