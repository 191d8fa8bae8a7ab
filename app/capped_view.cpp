#include "capped_view.h"

void CappedReportView::showKept() {
    const std::string shown = kept_.viewText();
    callControl(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

bool CappedReportView::answer(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_SETTEXT) return false;
    const char* text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
    const std::string_view whole(text);
    kept_.stop();
    if (whole.size() <= capacity_) {
        result = callControl(WM_SETTEXT, 0, lParam);
        return true;
    }
    kept_.start(std::string(whole), capacity_, editControlLimit());
    showKept();
    result = TRUE;
    return true;
}

void CappedReportView::insertAtControlEnd(const std::string& text) {
    if (kept_.active()) {
        kept_.append(text);
        showKept();
        return;
    }
    const size_t shown = EditReportView::shownReportLength();
    if (shown + text.size() <= capacity_) {
        EditReportView::insertAtControlEnd(text);
        return;
    }
    std::string whole;
    const LRESULT n = callControl(WM_GETTEXTLENGTH, 0, 0);
    whole.resize(static_cast<size_t>(n < 0 ? 0 : n) + 1);
    const LRESULT got = callControl(WM_GETTEXT, whole.size(), reinterpret_cast<LPARAM>(whole.data()));
    whole.resize(static_cast<size_t>(got < 0 ? 0 : got));
    whole += text;
    kept_.start(whole, capacity_, editControlLimit());
    showKept();
}

size_t CappedReportView::shownReportLength() {
    return kept_.active() ? kept_.reportLength() : EditReportView::shownReportLength();
}
