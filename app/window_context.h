// The task context a host (the window, or a run from the command line) hands
// its tasks: report text goes through the report writer (the task's work file
// or the view), the halt test reads the host's flag, progress goes to its
// status line, messages to its message sink.
#pragma once

#include "disk/view_text_width.h"
#include "report/task_context.h"
#include "runner/command_runner.h"

#include <memory>

class TaskHost;

class WindowContext : public TaskContext {
  public:
    explicit WindowContext(TaskHost& host) : host_(host), runner_(*this) {}

    void write(std::string_view text) override;
    bool haltRequested() const override;
    void progress() override;
    void animate(bool on) override;
    StatusDisplay& status() override;
    void keysVisited(int count) override;
    void showLive(std::string_view text) override;
    std::string taskHeader() const override;
    CommandRunner& runner() override { return runner_; }
    void tell(const std::string& text, const std::string& title) override;
    bool ask(const std::string& text, const std::string& title) override;
    void showBusyCursor(bool on) override;
    void clearDefaultButton() override;
    std::function<int(std::string_view)> viewTextWidth() override;

  private:
    TaskHost& host_;
    ProcessRunner runner_;
    // Made on first use and held for the rest of the task (it keeps a device
    // context of the view).
    std::unique_ptr<ViewTextWidth> textWidth_;
};
