// The animated "Working .. please Wait" texts of the status line: the general
// progress indicator and the registry walker's own frames.
#pragma once

#include "critical_section.h"

#include <optional>
#include <string>

class StatusDisplay;

// Frame k (0-11) of the general indicator, with its count suffix.
std::string progressFrame(int dotsStep, int first, int last, int total);

// Frame k (0-11) of the walker's indicator; the plain family while names are
// collected or the services key is dumped, the percent family otherwise.
std::string walkerFrame(int step, bool plainFamily, const std::string& progressText);

// The general indicator's counters: at most one change per second unless the
// animation is on, twelve frames in a cycle.
class ProgressAnimator {
public:
    // `second` is the local clock's seconds field; nullopt when nothing changes.
    std::optional<std::string> next(int second, bool animate, int first, int last, int total);

private:
    CriticalSection guard_;
    bool started_ = false;
    int lastSecond_ = 0;
    int dotsStep_ = 0;
};

// The walker's counters; the caller has already throttled to one call per second.
class WalkerAnimator {
public:
    // nullopt when the progress text is too short to show (the frame still advances).
    std::optional<std::string> next(bool plainFamily, const std::string& progressText);
    // True when `second` differs from the last one seen (and remembers it).
    bool newSecond(int second);

private:
    CriticalSection guard_;
    int step_ = 0;
    bool started_ = false;
    int lastSecond_ = 0;
};

int currentLocalSecond();

// The process-wide indicators, shown on `status`.
void statusProgress(StatusDisplay& status, bool animate, int first, int last, int total);
void walkerProgressUpdate(StatusDisplay& status, bool plainFamily, const std::string& progressText);
WalkerAnimator& walkerAnimator();
