#include "ide_drives_section.h"

#include "drive_control.h"
#include "drive_probe.h"
#include "report/task_context.h"

#include <windows.h>

namespace {

unsigned long runningPlatform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return VER_PLATFORM_WIN32_WINDOWS;
    return version.dwPlatformId;
}

} // namespace

void writeIdeDrivesSection(TaskContext& context, DriveProbe& probe, unsigned long platformId) {
    context.write("\n" + std::string(75, '=') + "\nIDE drives installed:\n");
    probe.probeDrives(platformId);
    context.write("\n");
}

void writeIdeDrivesSection(TaskContext& context, const TextWidth& width) {
    SystemDriveControl drives;
    SystemProcessPriority priority;
    DriveProbe probe(context, drives, priority, width);
    writeIdeDrivesSection(context, probe, runningPlatform());
}
