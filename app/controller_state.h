// Every flag and value the window shares with the task driver and the worker
// threads. Flags are atomics: one writer at a time, readers on other threads.
#pragma once

#include "report/report_writer.h"
#include "report/shared_text.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>

struct ControllerState : ReportState {
    std::atomic<uint8_t> haltRequested{0};
    std::atomic<uint8_t> noReportYet{1};
    std::atomic<uint8_t> collectRequested{0};
    std::atomic<uint8_t> policiesMode{0};
    std::array<std::atomic<uint32_t>, 5> hiveRequested{};
    std::atomic<uint8_t> appPathsRequested{0};
    std::atomic<uint8_t> animateStatus{0};
    std::atomic<uint8_t> resultReady{0};
    SharedText resultHeader;
    std::atomic<HANDLE> workerThread{nullptr};
    SharedText taskHeader;

    // Held by the Services worker from its start to its end (servicesRunning
    // only covers its registry dump).
    std::atomic<uint8_t> servicesActive{0};

    // Search state; the copy itself belongs to the window's thread.
    std::atomic<uint8_t> searchBarShown{0};
    std::atomic<uint8_t> searchRequested{0};
    std::atomic<uint8_t> searchRunPending{0};
    std::atomic<int32_t> searchCopyLength{0};
    // Set by a reset on any thread; the window's thread then drops its copy.
    std::atomic<uint8_t> searchCopyForgotten{0};

    std::atomic<uint8_t> closing{0};
    std::atomic<uint32_t> layoutPending{0};
    std::atomic<uint8_t> relayoutOnTick{0};

    // Registry walker and hive dump.
    SharedText keysListPath;
    std::atomic<uint8_t> collectToKeysFile{0};
    std::atomic<uint8_t> collectToList{0};
    std::atomic<int32_t> topLevelCount{0};
    std::atomic<int32_t> keysVisited{0};

    bool requestPending() const;
    // The state values of a reset that do not touch the window.
    void resetFlags();
};
