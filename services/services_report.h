// The Services report: the services key dump, shown whole once written, then
// one generated script whose output is appended to it as it arrives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TaskContext;

// `servicesKey` is SYSTEM\CurrentControlSet\Services, open for reading; the
// caller closes it.
void writeServicesReport(TaskContext& context, HKEY servicesKey);
// The same with the service log file named by the caller (the script writes
// the service properties there and echoes them back); it is removed at the end.
void writeServicesReport(TaskContext& context, HKEY servicesKey, const std::string& serviceLogPath);

// The three blocks of the services script: service properties through the
// log file, service states, the Indexing Service catalog and the processes
// that host running services.
std::vector<std::string> servicePropertiesLines(const std::string& serviceLogPath);
std::vector<std::string> serviceStatusLines();
std::vector<std::string> serviceProcessesLines();
