#include "status_progress.h"

#include "report_view.h"

#include <windows.h>

#include <cstdio>

std::string progressFrame(int dotsStep, int first, int last, int total) {
    std::string suffix;
    if (total != 0) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, " ->  %d - %d  of  %d", first, last, total);
        suffix = buffer;
    }
    // Two dots for the first frame, one more per step, and fourteen (not
    // thirteen) for the last.
    const int dots = dotsStep >= 11 ? 14 : 2 + (dotsStep < 0 ? 0 : dotsStep);
    return "Working " + std::string(static_cast<size_t>(dots), '.') + " please Wait " + suffix;
}

std::string walkerFrame(int step, bool plainFamily, const std::string& progressText) {
    const std::string dots(static_cast<size_t>(step < 0 ? 0 : step), '.');
    if (plainFamily) return "Working .. please Wait" + dots + " ";
    return "Working .. please Wait" + dots + "  " + progressText + " %";
}

std::optional<std::string> ProgressAnimator::next(int second, bool animate, int first, int last, int total) {
    ScopedLock lock(guard_);
    if (!started_) {
        started_ = true;
        lastSecond_ = second;
    }
    if (second == lastSecond_ && !animate) return std::nullopt;
    lastSecond_ = second;
    std::string frame = progressFrame(dotsStep_, first, last, total);
    if (dotsStep_ >= 11) dotsStep_ = -1;
    ++dotsStep_;
    return frame;
}

bool WalkerAnimator::newSecond(int second) {
    ScopedLock lock(guard_);
    if (started_ && second == lastSecond_) return false;
    started_ = true;
    lastSecond_ = second;
    return true;
}

std::optional<std::string> WalkerAnimator::next(bool plainFamily, const std::string& progressText) {
    ScopedLock lock(guard_);
    std::string frame = walkerFrame(step_, plainFamily, progressText);
    step_ = step_ >= 11 ? 0 : step_ + 1;
    if (progressText.size() <= 1) return std::nullopt;
    return frame;
}

int currentLocalSecond() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wSecond;
}

namespace {
ProgressAnimator& progressAnimator() {
    static ProgressAnimator animator;
    return animator;
}
}  // namespace

WalkerAnimator& walkerAnimator() {
    static WalkerAnimator animator;
    return animator;
}

void statusProgress(StatusDisplay& status, bool animate, int first, int last, int total) {
    if (auto frame = progressAnimator().next(currentLocalSecond(), animate, first, last, total))
        status.setStatus(*frame);
}

void walkerProgressUpdate(StatusDisplay& status, bool plainFamily, const std::string& progressText) {
    if (auto frame = walkerAnimator().next(plainFamily, progressText)) status.setStatus(*frame);
    status.repaint();
}
