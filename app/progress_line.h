// The line a run from the command line keeps on its console while it works:
// what it is doing and how far it has come ("Common Windows Environment: row
// 23 of 49", "HKEY_LOCAL_MACHINE: 12345 keys"). It is rewritten in place a
// few times a second at most and blanked out before the run's last word, so
// that the console ends as it would without it. Standard error in a file or a
// pipe never gets it: scripts read that.
#pragma once

#include "report/critical_section.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What a run tells of its progress; called on the task's threads.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    // A new task: everything told of the one before is forgotten.
    virtual void task(std::string_view name) = 0;
    // The row of a report made of numbered rows that is about to run.
    virtual void row(int row, int rows) = 0;
    // The keys the running registry walk has visited so far.
    virtual void keys(int count) = 0;
    // What the task does now, in a few words ("sending to the server").
    virtual void step(std::string_view text) = 0;
};

struct ProgressState {
    std::string task;
    int row = 0; // 0: no row
    int rows = 0;
    int keys = 0; // 0: no walk
    std::string step;
};

// The line's text, cut to at most `maxLength` characters.
std::string progressText(const ProgressState& state, size_t maxLength);

// Where the line goes.
class ProgressConsole {
  public:
    virtual ~ProgressConsole() = default;
    virtual bool isConsole() = 0;
    // Characters in one row of the console's buffer; a line that reaches the
    // last column wraps to the next row and can no longer be rewritten.
    virtual int width() = 0;
    virtual void write(std::string_view text) = 0;
};

class ProgressLine : public ProgressSink {
  public:
    // Milliseconds, wrapping around as GetTickCount does.
    using Clock = std::function<uint32_t()>;
    // The least time between two writes: the console shows a few lines a
    // second, however fast the walker counts.
    static constexpr uint32_t kInterval = 200;

    // `quiet`, or a console that is none: nothing is ever written.
    ProgressLine(ProgressConsole& console, Clock clock, bool quiet);

    bool shown() const { return shown_; }

    void task(std::string_view name) override;
    void row(int row, int rows) override;
    void keys(int count) override;
    void step(std::string_view text) override;

    // Rewrites the line when its text has changed and the last write (or the
    // start: a run over within the interval shows nothing) is at least
    // kInterval ago. One thread writes; the task's threads never do, so a
    // console that blocks its writers (a selection being made in it) never
    // holds up the report.
    void tick();
    // Blanks the line out and returns to column 0; nothing is written after it.
    void finish();

  private:
    ProgressConsole& console_;
    Clock clock_;
    const bool shown_;
    // Held only to copy or change the state: the task's threads take it.
    CriticalSection stateGuard_;
    ProgressState state_;
    // Held across a console write: the writing thread and finish() only.
    CriticalSection outputGuard_;
    bool finished_ = false;
    std::string onConsole_; // the text the console shows now
    uint32_t lastWrite_ = 0;
};
