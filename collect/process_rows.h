// The rows of the common report that list what runs and what is registered:
// the environment block, the two Startup folders, the file types, the
// installed and the kernel drivers, and the processes of the captured task
// list with their windows and modules. Each answers false once it has seen
// a halt, as every row of the catalogue does.
#pragma once

struct CommonReport;

namespace processrows {

bool environmentStrings(CommonReport& report);
// From the listing commands the folders row built.
bool startupFolder(CommonReport& report);
bool commonStartupFolder(CommonReport& report);
bool fileTypes(CommonReport& report);
bool installedDrivers(CommonReport& report);
bool kernelDrivers(CommonReport& report);
// One block per process of `report.capturedTaskList` (the task-list run's
// capture), which is emptied. The module listing is bound here, once per
// report, and each module file is examined once for all processes.
bool processes(CommonReport& report);

} // namespace processrows
