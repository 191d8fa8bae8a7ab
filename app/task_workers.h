// The worker threads of the Services and Internet Explorer tasks, and the
// App Paths task on the window's thread: each runs its report through a
// window context and then lowers the window's flags.
#pragma once

#include <windows.h>

#include <string>

class MainDialog;

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

void runAppPathsTask(MainDialog& dialog);
