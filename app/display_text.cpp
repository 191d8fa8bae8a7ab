#include "display_text.h"

#include <algorithm>

DisplayText::DisplayText(std::string_view mark) : mark_(mark) {}

void DisplayText::clear() {
    report_.clear();
    displayLength_ = 0;
    pendingReturns_ = 0;
    lineEnds_.clear();
}

std::string DisplayText::append(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    // The carriage returns held back from the last piece come first.
    const size_t from = report_.size() - pendingReturns_;
    report_.append(text);
    pendingReturns_ = 0;
    size_t i = from;
    while (i < report_.size()) {
        const char c = report_[i];
        if (c != '\r' && c != '\n') {
            const size_t next = report_.find_first_of("\r\n", i);
            const size_t end = next == std::string::npos ? report_.size() : next;
            out.append(report_, i, end - i);
            i = end;
            continue;
        }
        if (c == '\n') {
            out.push_back(' ');
            ++i;
            continue;
        }
        size_t j = i;
        while (j < report_.size() && report_[j] == '\r')
            ++j;
        if (j == report_.size()) {
            pendingReturns_ = j - i;
            break;
        }
        if (report_[j] == '\n') {
            lineEnds_.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(j + 1),
                                 static_cast<uint32_t>(displayLength_ + out.size())});
            out.append(mark_);
            i = j + 1;
        } else {
            out.append(j - i, ' ');
            i = j;
        }
    }
    displayLength_ += out.size();
    return out;
}

size_t DisplayText::toDisplay(size_t reportOffset) const {
    const size_t shown = report_.size() - pendingReturns_;
    if (reportOffset >= shown) return displayLength_;
    auto after = std::upper_bound(lineEnds_.begin(), lineEnds_.end(), reportOffset,
                                  [](size_t offset, const LineEnd& end) { return offset < end.reportStart; });
    if (after == lineEnds_.begin()) return reportOffset;
    const LineEnd& end = *(after - 1);
    if (reportOffset < end.reportEnd) return end.displayStart;
    return end.displayStart + mark_.size() + (reportOffset - end.reportEnd);
}

size_t DisplayText::toReport(size_t displayOffset) const {
    if (displayOffset >= displayLength_) return report_.size();
    auto after =
        std::upper_bound(lineEnds_.begin(), lineEnds_.end(), displayOffset,
                         [](size_t offset, const LineEnd& end) { return offset < end.displayStart; });
    if (after == lineEnds_.begin()) return displayOffset;
    const LineEnd& end = *(after - 1);
    if (displayOffset < end.displayStart + mark_.size()) return end.reportStart;
    return end.reportEnd + (displayOffset - end.displayStart - mark_.size());
}
