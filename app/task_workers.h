// The bodies of the tasks that are not hive dumps, the worker threads of the
// window that run them, and the App Paths task (on the window's thread there).
// Each body runs its report through a context over its host and then lowers
// the host's flags; a run from the command line calls the bodies directly.
#pragma once

#include <windows.h>

#include <string>

class MainDialog;
class TaskHost;

struct ServicesWorkerBlock {
    MainDialog* dialog;
    HKEY servicesKey; // open for reading; the worker closes it
};

struct IeWorkerBlock {
    MainDialog* dialog;
    std::string path; // the report work file, named before the worker starts
};

// Thread entries; each frees its block.
DWORD WINAPI servicesWorker(void* block);
DWORD WINAPI ieWorker(void* block);

// The collector (common environment or policies, by the host's policiesMode)
// into the report work file `path`, then its result into the view.
void runCollectorTask(TaskHost& host, const std::string& path);
// The services report; closes `servicesKey`.
void runServicesTask(TaskHost& host, HKEY servicesKey);
// The Internet Explorer report into the report work file `path`, then into the view.
void runIeTask(TaskHost& host, const std::string& path);
void runAppPathsTask(TaskHost& host);
