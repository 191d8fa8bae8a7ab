#include "edit_view.h"

#include <string>

namespace {

std::string windowText(HWND hwnd) {
    if (hwnd == nullptr) return {};
    const LRESULT n = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n) + 1, '\0');
    const LRESULT got = SendMessageA(hwnd, WM_GETTEXT, out.size(), reinterpret_cast<LPARAM>(out.data()));
    out.resize(got < 0 ? 0 : std::min(static_cast<size_t>(got), static_cast<size_t>(n)));
    return out;
}

// The control reads the string's own buffer: no copy of a text that may be
// the whole report.
void setWindowText(HWND hwnd, const std::string& text) {
    if (hwnd != nullptr) SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

std::string EditReportView::text() const { return windowText(edit_); }

void EditReportView::setText(std::string_view text) {
    setWindowText(edit_, std::string(text));
}

void EditReportView::setWholeText(const std::string& text) {
    setWindowText(edit_, text);
}

size_t EditReportView::append(std::string_view text) {
    std::string whole = windowText(edit_);
    whole.append(text);
    setWindowText(edit_, whole);
    return whole.size();
}

void EditReportView::insertAtEnd(std::string_view text) {
    if (edit_ == nullptr) return;
    const DWORD end = static_cast<DWORD>(length());
    select(end, end);
    const std::string z(text);
    SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(z.c_str()));
    scrollCaret();
}

size_t EditReportView::length() const {
    if (edit_ == nullptr) return 0;
    const LRESULT n = SendMessageA(edit_, WM_GETTEXTLENGTH, 0, 0);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

void EditReportView::selection(DWORD& start, DWORD& end) const {
    start = end = 0;
    if (edit_ != nullptr)
        SendMessageA(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

void EditReportView::select(DWORD start, DWORD end) {
    if (edit_ != nullptr) SendMessageA(edit_, EM_SETSEL, start, end);
}

void EditReportView::scrollCaret() {
    if (edit_ != nullptr) SendMessageA(edit_, EM_SCROLLCARET, 0, 0);
}

void StatusLine::setStatus(std::string_view text) {
    setWindowText(label_, std::string(text));
}

void StatusLine::repaint() {
    if (label_ != nullptr) {
        InvalidateRect(label_, nullptr, TRUE);
        UpdateWindow(label_);
    }
}

std::string StatusLine::text() const { return windowText(label_); }
