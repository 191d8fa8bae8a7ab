// The progress line of one run from the command line on this process's
// standard error: shown only where that is a console, kept current by a
// thread of its own, and blanked out before the run's own output.
#pragma once

#include "progress_line.h"
#include "report/win_handles.h"

#include <windows.h>

class ConsoleStreams;

// Standard error as the progress line sees it.
class StandardErrorConsole : public ProgressConsole {
  public:
    explicit StandardErrorConsole(HANDLE handle) : handle_(handle) {}
    // A file or a pipe has no console mode.
    bool isConsole() override;
    int width() override;
    void write(std::string_view text) override;

  private:
    HANDLE handle_;
};

class CommandLineProgress {
  public:
    // `quiet`: /quiet was given; nothing is shown.
    CommandLineProgress(ConsoleStreams& streams, bool quiet);
    // Blanks the line out if the run's output has not done so already.
    ~CommandLineProgress();
    CommandLineProgress(const CommandLineProgress&) = delete;
    CommandLineProgress& operator=(const CommandLineProgress&) = delete;

    ProgressSink& sink() { return line_; }

  private:
    static DWORD WINAPI writer(void* self);

    ConsoleStreams& streams_;
    StandardErrorConsole console_;
    ProgressLine line_;
    FileHandle stop_{nullptr};
    FileHandle thread_{nullptr}; // joined before stop_ is closed
};
