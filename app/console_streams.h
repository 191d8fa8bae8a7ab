// Standard output and standard error of a run from the command line. The
// program is a window program: it has them when the caller redirected them,
// and otherwise writes to the console of the process that started it, where
// there is one. It attaches to that console in any case, so that Ctrl+C and
// the console's close reach it (a system without AttachConsole, older than
// XP, lends neither: the text is lost and only redirection shows it).
#pragma once

#include <windows.h>

#include <string_view>

class ProgressLine;

class ConsoleStreams {
  public:
    ConsoleStreams();
    ~ConsoleStreams();
    ConsoleStreams(const ConsoleStreams&) = delete;
    ConsoleStreams& operator=(const ConsoleStreams&) = delete;

    void out(std::string_view text);
    // One line: line ends inside `text` become blanks, and "\r\n" ends it.
    void errorLine(std::string_view text);

    // Standard error as the run found it: a console, a file or a pipe.
    HANDLE errorHandle() const { return err_; }
    // The progress line on standard error, blanked out before any text of
    // the run's own is written, so that text stands alone; null: none.
    void blankOutFirst(ProgressLine* line) { progress_ = line; }

  private:
    static void write(HANDLE handle, std::string_view text);

    HANDLE out_ = nullptr;
    HANDLE err_ = nullptr;
    HANDLE console_ = INVALID_HANDLE_VALUE; // the borrowed console's screen, when one was opened
    ProgressLine* progress_ = nullptr;
};
