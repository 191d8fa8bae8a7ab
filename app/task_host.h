// Whoever runs a task: the window, or a run from the command line that keeps
// its view in memory. A task's body sees only this (the shared state, the
// view, the status line, the message sink) and the task context made over
// it, so both run the very same collectors, writers and result loads.
#pragma once

#include "controller_state.h"
#include "task_results.h"

#include <windows.h>

#include <string>

class TaskHost : public ControllerState {
  public:
    virtual ~TaskHost() = default;

    // One step of the status line's progress indicator.
    virtual void progressStep() = 0;
    // Puts `text` in place of the view unless a halt was asked for; false
    // when it was dropped.
    virtual bool showWholeUnlessHalted(const std::string& text) = 0;
    virtual void showBusyCursor(bool on) = 0;
    virtual void clearDefaultButton() = 0;
    // The edit control report text is measured in, and the window whose font
    // it draws with.
    virtual HWND measuredView() = 0;
    virtual HWND fontOwner() = 0;
    // File reading, sleeping and the failure exit of the result loads.
    virtual LoadEdges loadEdges() = 0;
    // How far the task has come, for a host that shows it in numbers (a run
    // from the command line); the window's status line has its own frames.
    virtual void reportRowStarted(int row, int rows) {
        (void)row;
        (void)rows;
    }
    virtual void keysVisited(int count) { (void)count; }
};
