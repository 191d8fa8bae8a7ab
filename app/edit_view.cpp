#include "edit_view.h"

#include <algorithm>
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

// Asks the control's own thread to take the gathered text.
UINT flushMessage() {
    static const UINT message = RegisterWindowMessageA("Korvexer.ReportView.Flush");
    return message;
}

// Messages that read the text or positions in it: the gathered text goes in first.
bool readsText(UINT message) {
    switch (message) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_GETSEL:
    case EM_GETLINE:
    case EM_GETLINECOUNT:
    case EM_LINEINDEX:
    case EM_LINELENGTH:
    case EM_LINEFROMCHAR:
    case EM_GETHANDLE:
        return true;
    default:
        return false;
    }
}

} // namespace

EditReportView::~EditReportView() {
    if (edit_ != nullptr && original_ != nullptr && IsWindow(edit_)) {
        SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        SetWindowLongPtrA(edit_, GWLP_USERDATA, 0);
    }
}

void EditReportView::attach(HWND edit) {
    if (edit == nullptr) return;
    // The default limit (32,767 characters) stops insertions, not WM_SETTEXT:
    // appended reports would be cut there.
    SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    bind(edit);
    ScopedLock lock(guard_);
    shownLength_ = static_cast<size_t>(std::max<LRESULT>(0, SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0)));
}

void EditReportView::bind(HWND control) {
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditReportView::controlProc)));
    ScopedLock lock(guard_);
    // A control made anew is of the same class: its procedure is the one already kept.
    if (original_ == nullptr) original_ = previous;
    edit_ = control;
}

HWND EditReportView::handle() const {
    ScopedLock lock(guard_);
    return edit_;
}

bool EditReportView::answer(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT CALLBACK EditReportView::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<EditReportView*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->original_ == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == flushMessage()) {
        self->flushHere();
        return 0;
    }
    if (readsText(message)) self->flushHere();
    // Messages to a control this view has already replaced go to it unchanged.
    if (hwnd == self->handle()) {
        LRESULT result = 0;
        if (self->answer(message, wParam, lParam, result)) return result;
    }
    return CallWindowProcA(self->original_, hwnd, message, wParam, lParam);
}

LRESULT EditReportView::callControl(UINT message, WPARAM wParam, LPARAM lParam) const {
    return CallWindowProcA(original_, handle(), message, wParam, lParam);
}

void EditReportView::insertAtControlEnd(const std::string& text) {
    const LRESULT end = callControl(WM_GETTEXTLENGTH, 0, 0);
    callControl(EM_SETSEL, static_cast<WPARAM>(end), end);
    callControl(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

size_t EditReportView::shownReportLength() {
    const LRESULT length = callControl(WM_GETTEXTLENGTH, 0, 0);
    return length < 0 ? 0 : static_cast<size_t>(length);
}

void EditReportView::flushHere() {
    std::string text;
    bool scroll = false;
    unsigned generation = 0;
    {
        ScopedLock lock(guard_);
        text.swap(pending_);
        scroll = scrollCaretPending_;
        scrollCaretPending_ = false;
        generation = generation_;
    }
    if (text.empty()) return;
    // Put the caret at the end and replace the empty selection there; then
    // give back what the user was looking at, unless the text asked for the
    // caret to be shown.
    DWORD selStart = 0, selEnd = 0;
    callControl(EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstLine = callControl(EM_GETFIRSTVISIBLELINE, 0, 0);
    insertAtControlEnd(text);
    if (scroll) {
        callControl(EM_SCROLLCARET, 0, 0);
    } else {
        callControl(EM_SETSEL, selStart, static_cast<LPARAM>(selEnd));
        const LRESULT nowFirst = callControl(EM_GETFIRSTVISIBLELINE, 0, 0);
        if (nowFirst != firstLine) callControl(EM_LINESCROLL, 0, firstLine - nowFirst);
    }
    const size_t length = shownReportLength();
    ScopedLock lock(guard_);
    // A whole new text set meanwhile (its length already counted) wins.
    if (generation == generation_) shownLength_ = length;
}

size_t EditReportView::queue(std::string_view text, bool scrollCaret) {
    bool due = false;
    size_t total = 0;
    {
        ScopedLock lock(guard_);
        const DWORD now = GetTickCount();
        if (pending_.empty()) pendingSince_ = now;
        pending_.append(text);
        scrollCaretPending_ = scrollCaretPending_ || scrollCaret;
        total = shownLength_ + pending_.size();
        due = now - pendingSince_ >= kFlushMillis || pending_.size() >= kFlushBytes;
    }
    if (due) flush();
    return total;
}

void EditReportView::flush() {
    if (handle() == nullptr) return;
    {
        ScopedLock lock(guard_);
        if (pending_.empty()) return;
    }
    // Sent, not called: the control is only ever changed on its own thread,
    // and a worker waits here as it waited for a whole-text update.
    SendMessageA(handle(), flushMessage(), 0, 0);
}

void EditReportView::flushIfDue() {
    bool due = false;
    {
        ScopedLock lock(guard_);
        due = !pending_.empty() && GetTickCount() - pendingSince_ >= kFlushMillis;
    }
    if (due) flush();
}

std::string EditReportView::text() const {
    return windowText(handle());
}

void EditReportView::setText(std::string_view text) {
    setWholeText(std::string(text));
}

void EditReportView::setWholeText(const std::string& text) {
    {
        ScopedLock lock(guard_);
        pending_.clear();
        scrollCaretPending_ = false;
        shownLength_ = text.size();
        ++generation_;
    }
    setWindowText(handle(), text);
}

size_t EditReportView::append(std::string_view text) {
    if (handle() == nullptr) return 0;
    return queue(text, false);
}

void EditReportView::insertAtEnd(std::string_view text) {
    if (handle() == nullptr) return;
    queue(text, true);
}

size_t EditReportView::length() const {
    if (handle() == nullptr) return 0;
    const LRESULT n = SendMessageA(handle(), WM_GETTEXTLENGTH, 0, 0);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

void EditReportView::selection(DWORD& start, DWORD& end) const {
    start = end = 0;
    if (handle() != nullptr)
        SendMessageA(handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

void EditReportView::select(DWORD start, DWORD end) {
    if (handle() == nullptr) return;
    flush();
    SendMessageA(handle(), EM_SETSEL, start, end);
}

void EditReportView::scrollCaret() {
    if (handle() != nullptr) SendMessageA(handle(), EM_SCROLLCARET, 0, 0);
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

std::string StatusLine::text() const {
    return windowText(label_);
}
