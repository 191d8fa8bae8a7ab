// One report run from the command line, without the window: the same task
// bodies the window's workers run, over a host whose view is kept in memory.
// What that view holds at the end is what the window would show, byte for
// byte, and it is what reaches the file.
#pragma once

#include "task_host.h"

#include "report/critical_section.h"

#include <atomic>
#include <cstdint>
#include <string>

class ConsoleStreams;
class ProgressSink;
struct CommandLine;
struct TaskCommand;

// The view of a run without a window: the text in memory.
class MemoryReportView : public ReportView {
  public:
    std::string text() const override;
    void setText(std::string_view text) override;
    size_t length() const override;
    size_t append(std::string_view text) override;
    void insertAtEnd(std::string_view text) override;

  private:
    mutable CriticalSection guard_;
    std::string text_;
};

class HeadlessHost : public TaskHost {
  public:
    HeadlessHost();
    ~HeadlessHost() override;

    void progressStep() override {}
    bool showWholeUnlessHalted(const std::string& text) override;
    void showBusyCursor(bool) override {}
    void clearDefaultButton() override {}
    HWND measuredView() override;
    HWND fontOwner() override;
    LoadEdges loadEdges() override;
    void reportRowStarted(int row, int rows) override;
    void keysVisited(int count) override;

    // Where the task's progress is told (the console's progress line); null: nowhere.
    void showProgressOn(ProgressSink* sink) { progress_ = sink; }
    ProgressSink* progress() const { return progress_.load(); }

    // Halts the running task as Clear does; the run then ends as halted.
    void halt();
    bool halted() const { return halted_ != 0; }
    // The first message the task gave (a task tells only of failures), or empty.
    std::string failure() const;
    std::string viewText() const { return view_.text(); }

  private:
    class Messages : public MessageSink {
      public:
        void show(const char* text, const char* title) override;
        // Nobody is there to answer: No, the answer that changes nothing.
        bool ask(const char*, const char*) override { return false; }
        std::string first() const;

      private:
        mutable CriticalSection guard_;
        std::string first_;
    };
    class NoStatus : public StatusDisplay {
      public:
        void setStatus(std::string_view) override {}
        void repaint() override {}
    };

    HWND measuringDialog();

    MemoryReportView view_;
    NoStatus status_;
    Messages messages_;
    std::atomic<uint8_t> halted_{0};
    std::atomic<ProgressSink*> progress_{nullptr};
    HWND dialog_ = nullptr;
    bool dialogTried_ = false;
};

// What a console event does to a run from the command line: Ctrl+C and
// Ctrl+Break halt it; the console's close and the system's shutdown halt it
// and wait for its files to go (the process ends when the handler returns);
// another user's logoff is ignored; anything else is left to the next handler.
enum class ConsoleEventAction { Halt, HaltAndWait, Ignore, Pass };
ConsoleEventAction consoleEventAction(DWORD event);

// Runs `command`'s task to its end on this thread. Returns empty when its
// result is in the host's view, otherwise the reason it is not.
std::string runHeadlessTask(HeadlessHost& host, const TaskCommand& command);

// The whole run for Action::Report: the file, the task, the console's halt;
// returns the exit code, and writes the reason of a failure to standard error.
int runReportFromCommandLine(const CommandLine& line, ConsoleStreams& console);
