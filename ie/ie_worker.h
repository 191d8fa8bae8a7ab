// The Internet Explorer task's worker thread.
#pragma once

#include <windows.h>

class MainDialog;

struct IeWorkerBlock {
    MainDialog* dialog;
};

// Thread entry; frees the block.
DWORD WINAPI ieWorker(void* block);
