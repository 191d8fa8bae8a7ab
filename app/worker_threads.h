// The task workers' threads, counted while they run. A task's phase says who
// owns the task, not whether a thread still runs: the window's thread owns
// it too while it shows a failure's box. The exit that Close sets going asks
// this count, so it neither ends the process under a worker that may be
// starting a command nor waits on a box the window's thread shows.
#pragma once

#include <windows.h>

// CreateThread for a worker, counted from before the thread exists until its
// routine has returned. The handle as CreateThread gives it (nullptr when no
// thread was made, and then nothing is counted).
HANDLE startWorkerThread(LPTHREAD_START_ROUTINE routine, void* parameter);

// Worker threads started and not yet through their routine.
int workerThreadsRunning();
