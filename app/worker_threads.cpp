#include "worker_threads.h"

#include <atomic>
#include <new>

namespace {

std::atomic<int> running{0};

struct Start {
    LPTHREAD_START_ROUTINE routine;
    void* parameter;
};

DWORD WINAPI counted(void* parameter) {
    const Start start = *static_cast<Start*>(parameter);
    delete static_cast<Start*>(parameter);
    const DWORD result = start.routine(start.parameter);
    running.fetch_sub(1);
    return result;
}

} // namespace

HANDLE startWorkerThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
    auto* start = new (std::nothrow) Start{routine, parameter};
    if (start == nullptr) return nullptr;
    running.fetch_add(1);
    HANDLE thread = CreateThread(nullptr, 0, counted, start, 0, nullptr);
    if (thread == nullptr) {
        running.fetch_sub(1);
        delete start;
    }
    return thread;
}

int workerThreadsRunning() {
    return running.load();
}
