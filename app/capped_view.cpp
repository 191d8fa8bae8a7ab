#include "capped_view.h"

#include "report/work_file.h"

namespace {

constexpr const char* kKeptPattern = "%sKorvexer_whole_report.%06d%d.txt";

} // namespace

std::string CappedReportView::keptPath() const {
    return keptPath_;
}

void CappedReportView::keep(const std::string& report) {
    const ClaimedName claimed = claimWorkFileName(kKeptPattern);
    keptPath_ = claimed.created() && appendWorkFile(claimed.path, report) ? claimed.path : std::string();
    overflowed_ = true;
    reportLength_ = report.size();
    // The beginning never changes once kept: only the notice's length does.
    beginning_ = keptReportView(report, report.size(), keptPath_, capacity_);
    beginning_.erase(0, beginning_.find('\n') + 1);
}

void CappedReportView::showKept(std::string_view beginning) {
    const std::string shown = keptReportView(beginning, reportLength_, keptPath_, capacity_);
    callControl(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

bool CappedReportView::answer(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_SETTEXT) return false;
    const char* text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
    const std::string_view whole(text);
    overflowed_ = false;
    reportLength_ = whole.size();
    if (whole.size() <= capacity_) {
        result = callControl(WM_SETTEXT, 0, lParam);
        return true;
    }
    keep(std::string(whole));
    showKept(beginning_);
    result = TRUE;
    return true;
}

void CappedReportView::insertAtControlEnd(const std::string& text) {
    if (overflowed_) {
        if (!keptPath_.empty() && !appendWorkFile(keptPath_, text)) keptPath_.clear();
        reportLength_ += text.size();
        showKept(beginning_);
        return;
    }
    const size_t shown = EditReportView::shownReportLength();
    if (shown + text.size() <= capacity_) {
        EditReportView::insertAtControlEnd(text);
        reportLength_ = shown + text.size();
        return;
    }
    std::string whole;
    const LRESULT n = callControl(WM_GETTEXTLENGTH, 0, 0);
    whole.resize(static_cast<size_t>(n < 0 ? 0 : n) + 1);
    const LRESULT got = callControl(WM_GETTEXT, whole.size(), reinterpret_cast<LPARAM>(whole.data()));
    whole.resize(static_cast<size_t>(got < 0 ? 0 : got));
    whole += text;
    keep(whole);
    showKept(beginning_);
}

size_t CappedReportView::shownReportLength() {
    return overflowed_ ? reportLength_ : EditReportView::shownReportLength();
}
