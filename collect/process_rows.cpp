#include "process_rows.h"

#include "common_report.h"
#include "sysinfo/module_enumerator.h"
#include "sysinfo/process_sections.h"

namespace processrows {

bool environmentStrings(CommonReport& report) {
    return writeEnvironmentStrings(report.context);
}

bool startupFolder(CommonReport& report) {
    return writeStartupFolder(report.context, report.commands.startupFolder,
                              report.commands.startupListCommand, StartupFolder::CurrentUser);
}

bool commonStartupFolder(CommonReport& report) {
    return writeStartupFolder(report.context, report.commands.commonStartupFolder,
                              report.commands.commonStartupListCommand, StartupFolder::AllUsers);
}

bool fileTypes(CommonReport& report) {
    return writeFileTypes(report.context);
}

bool installedDrivers(CommonReport& report) {
    return writeInstalledDrivers(report.context);
}

bool kernelDrivers(CommonReport& report) {
    return writeKernelDrivers(report.context);
}

bool processes(CommonReport& report) {
    ModuleEnumerator modules;
    SystemProcessDetails details(modules);
    return writeProcesses(report.context, report.capturedTaskList, details);
}

} // namespace processrows
