// The Services task's worker thread.
#pragma once

#include <windows.h>

#include <string>

class MainDialog;

struct ServicesWorkerBlock {
    MainDialog* dialog;
    HKEY servicesKey;  // open for reading; the worker closes it
    std::string text;
};

// Thread entry; frees the block.
DWORD WINAPI servicesWorker(void* block);
