// The Services report: the services key dump and the service scripts.
#pragma once

#include <windows.h>

class TaskContext;

// `servicesKey` is SYSTEM\CurrentControlSet\Services, open for reading; the
// caller closes it.
void writeServicesReport(TaskContext& context, HKEY servicesKey);
