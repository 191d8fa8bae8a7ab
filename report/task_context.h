// Everything a report needs from the program that runs it. The window hands
// each task a context; tests make their own (a string for the report, a halt
// switch, a fake runner), so no report code knows the window or its state.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class CommandRunner;
class StatusDisplay;

class TaskContext {
  public:
    virtual ~TaskContext() = default;

    // Appends report text as a section wrote it ("\n" line ends, literal, never
    // a format); the report writer decides between the task's work file and
    // the view.
    virtual void write(std::string_view text) = 0;
    // True once the user asked the running task to stop (Clear, Close).
    virtual bool haltRequested() const = 0;
    // One step of the status line's progress indicator.
    virtual void progress() = 0;
    // While on, every progress step (and every fifth timer tick) moves the indicator.
    virtual void animate(bool on) = 0;
    // The status line itself: the registry walker draws its own frames there.
    virtual StatusDisplay& status() = 0;
    // The keys the running registry walk has visited so far, for a host that
    // counts them on a progress display of its own.
    virtual void keysVisited(int count) { (void)count; }
    // Shows a live progress text in place of the whole view (the registry
    // walker's "Getting live data"); a context without a view ignores it.
    virtual void showLive(std::string_view text) = 0;
    // The header line of the running task ("Getting Services ...").
    virtual std::string taskHeader() const = 0;
    // Runs this task's console commands and generated scripts.
    virtual CommandRunner& runner() = 0;
    // A message to the user, and a question answered Yes (true) or No; the
    // product shows message boxes, tests answer them.
    virtual void tell(const std::string& text, const std::string& title) = 0;
    virtual bool ask(const std::string& text, const std::string& title) = 0;

    // A report whose first part is shown whole once it is complete (the
    // services report's registry dump): from beginReportFile() on, write()
    // appends to a work file of the task's own. showReportFile() ends that,
    // puts `lead` and the file's whole text in place of the view (unless a
    // halt came first) and removes the file, whatever the outcome; later text
    // is appended to the view. dropReportFile() ends it without showing
    // anything. A context without such a file writes straight on.
    // beginReportFile() is false when no file could be made for the task
    // (the context has told the user): the task ends there.
    enum class FileShown {
        Shown,      // in the view (or dropped for a halt)
        CannotOpen, // the file could not be opened for reading
        NoMemory,   // no memory to read it or to compose the view's text
        WritesLost, // text never reached the file (folder gone, disk full): the user has been told
    };
    virtual bool beginReportFile() { return true; }
    virtual FileShown showReportFile(std::string_view lead) {
        (void)lead;
        return FileShown::Shown;
    }
    virtual void dropReportFile() {}
    // The long report's busy cursor (arrow with hourglass) while on, the arrow
    // again when off. A context without a window has no cursor to show.
    virtual void showBusyCursor(bool on) { (void)on; }
    // Takes the default button away from the window so that Enter starts no
    // second command while a long report runs.
    virtual void clearDefaultButton() {}
    // Widths of text in pixels as the report view draws it. A context without
    // a view counts characters, as a fixed-width font would.
    virtual std::function<int(std::string_view)> viewTextWidth() {
        return [](std::string_view text) { return static_cast<int>(text.size()); };
    }

    // One progress step; false once a halt was requested (the test every
    // report makes between two steps).
    bool step() {
        progress();
        return !haltRequested();
    }
};

// printf-style report text through the context: the formatted text is
// appended as it stands. Returns the formatted length (0 when the text is too
// long to format, which drops it).
int reportPrintf(TaskContext& context, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The closing block of every report.
void writeReportTrailer(TaskContext& context);
