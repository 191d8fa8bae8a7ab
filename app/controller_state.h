// Every flag and value the window shares with the task driver and the worker
// threads. Flags are atomics: one writer at a time, readers on other threads.
#pragma once

#include "message_sink.h"
#include "report/report_writer.h"
#include "report/shared_text.h"
#include "task_life.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

struct ControllerState : ReportState {
    // Polled by the task bodies; raised and lowered only by `life`.
    std::atomic<uint8_t> haltRequested{0};
    // The current task from its acceptance to its end: whether a command is
    // taken, whom a halt stops, whether a result may still reach the view.
    TaskLife life{haltRequested};
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

    // Raised by a task that ended without its whole report and without
    // telling (memory ran out on the way): the view then holds only a part.
    std::atomic<uint8_t> taskFailed{0};

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

    // The running hive dump's keys-list file: Clear and Close remove it.
    SharedText keysListPath;

    StatusDisplay* status = nullptr;
    MessageSink* messages = nullptr;

    void showMessage(const char* text, const char* title) const {
        if (messages != nullptr) messages->show(text, title);
    }
    // No one to answer counts as No.
    bool askQuestion(const char* text, const char* title) const {
        return messages != nullptr && messages->ask(text, title);
    }

    // The part of a reset that a worker may run when its task ends early:
    // task flags and paths, the running flags, and last the task's life.
    // The window's own state (closing, the layout and search-bar flags, the
    // requests its commands raise) is left alone: the window's thread may be
    // changing it at that very moment, and a Close must not be undone.
    void resetTaskState();
    // The rest of a full reset; run on the window's thread only.
    void resetWindowState();
};
