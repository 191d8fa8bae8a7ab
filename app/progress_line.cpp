#include "progress_line.h"

#include <algorithm>

namespace {

void addPart(std::string& detail, const std::string& part) {
    if (!detail.empty()) detail += ", ";
    detail += part;
}

} // namespace

std::string progressText(const ProgressState& state, size_t maxLength) {
    std::string detail;
    if (state.row > 0 && state.rows > 0)
        addPart(detail, "row " + std::to_string(state.row) + " of " + std::to_string(state.rows));
    if (state.keys > 0) addPart(detail, std::to_string(state.keys) + (state.keys == 1 ? " key" : " keys"));
    if (!state.step.empty()) addPart(detail, state.step);
    std::string text = state.task;
    if (!detail.empty())
        text += (text.empty() ? "" : ": ") + detail;
    else if (!text.empty())
        text += " ...";
    // A line end or a tab would take the caret away from the line's start.
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (text.size() > maxLength) text.resize(maxLength);
    return text;
}

ProgressLine::ProgressLine(ProgressConsole& console, Clock clock, bool quiet)
    : console_(console), clock_(std::move(clock)), shown_(!quiet && console.isConsole()) {
    if (shown_) lastWrite_ = clock_();
}

void ProgressLine::task(std::string_view name) {
    ScopedLock lock(stateGuard_);
    state_ = ProgressState();
    state_.task.assign(name);
}

void ProgressLine::row(int row, int rows) {
    ScopedLock lock(stateGuard_);
    state_.row = row;
    state_.rows = rows;
    // A row's walk counts from the start.
    state_.keys = 0;
}

void ProgressLine::keys(int count) {
    ScopedLock lock(stateGuard_);
    state_.keys = count;
}

void ProgressLine::step(std::string_view text) {
    ScopedLock lock(stateGuard_);
    state_.step.assign(text);
}

void ProgressLine::tick() {
    if (!shown_) return;
    ScopedLock output(outputGuard_);
    if (finished_) return;
    const uint32_t now = clock_();
    if (now - lastWrite_ < kInterval) return;
    ProgressState state;
    {
        ScopedLock lock(stateGuard_);
        state = state_;
    }
    const int width = console_.width();
    const size_t room = width > 1 ? static_cast<size_t>(width - 1) : 0;
    const std::string text = progressText(state, room);
    if (text == onConsole_) return;
    // Blanks over what is left of the longer text before, within the row.
    const size_t covered = std::min(onConsole_.size(), room);
    std::string line = "\r" + text;
    if (covered > text.size()) line.append(covered - text.size(), ' ');
    console_.write(line);
    onConsole_ = text;
    lastWrite_ = now;
}

void ProgressLine::finish() {
    if (!shown_) return;
    ScopedLock output(outputGuard_);
    if (finished_) return;
    finished_ = true;
    if (onConsole_.empty()) return;
    const int width = console_.width();
    const size_t room = width > 1 ? static_cast<size_t>(width - 1) : 0;
    console_.write("\r" + std::string(std::min(onConsole_.size(), room), ' ') + "\r");
    onConsole_.clear();
}
