// The count Close's exit waits on: a worker counts from its start until its
// routine has returned, and only then.
#include "app/worker_threads.h"

#include <gtest/gtest.h>

namespace {

DWORD WINAPI waitForRelease(void* parameter) {
    WaitForSingleObject(static_cast<HANDLE>(parameter), INFINITE);
    return 7;
}

TEST(WorkerThreads, CountedFromTheStartTillTheRoutineHasReturned) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    const int before = workerThreadsRunning();
    HANDLE first = startWorkerThread(waitForRelease, release);
    HANDLE second = startWorkerThread(waitForRelease, release);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(workerThreadsRunning(), before + 2);
    Sleep(50);
    EXPECT_EQ(workerThreadsRunning(), before + 2) << "a worker waiting is still running";
    SetEvent(release);
    for (HANDLE thread : {first, second}) {
        EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(thread, &code));
        EXPECT_EQ(code, 7u) << "the routine's own result";
        CloseHandle(thread);
    }
    EXPECT_EQ(workerThreadsRunning(), before);
    CloseHandle(release);
}

} // namespace
