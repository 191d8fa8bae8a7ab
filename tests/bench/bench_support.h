// What the benchmarks that drive a window share: a wall clock in seconds and
// the message pump that lets the view paint between appends, as the window's
// thread does between a worker's appends.
#pragma once

#include <windows.h>

#include <chrono>

inline double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

inline void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}
