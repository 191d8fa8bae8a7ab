#include "rich_view.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

namespace {

// Hands a text to EM_STREAMIN in the pieces the control asks for.
struct StreamSource {
    const std::string* text;
    size_t offset;
};

DWORD CALLBACK readPiece(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::string& text = *source->text;
    size_t n = std::min(static_cast<size_t>(std::max<LONG>(wanted, 0)), text.size() - source->offset);
    // A paragraph mark of two characters is never cut between two pieces:
    // the control would take each half for a line end of its own.
    if (n > 1 && source->offset + n < text.size() && text[source->offset + n - 1] == '\r') --n;
    std::memcpy(buffer, text.data() + source->offset, n);
    source->offset += n;
    *given = static_cast<LONG>(n);
    return 0;
}

// What the control ends a paragraph with, found by asking it: rich edit 2.0
// and later keep one carriage return, 1.0 keeps carriage return and line feed.
std::string paragraphMark(HWND control) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a\r\nb"));
    const LRESULT secondLine = SendMessageA(control, EM_LINEINDEX, 1, 0);
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    return secondLine == 3 ? "\r\n" : "\r";
}

enum : UINT { kCopyItem = 1, kSelectAllItem = 2 };

} // namespace

RichReportView::RichReportView(const char* className) : className_(className) {}

HWND RichReportView::makeControl(HWND like) const {
    RECT r{};
    GetWindowRect(like, &r);
    HWND parent = GetParent(like);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    HWND control = CreateWindowExA(exStyle_, className_.c_str(), "", style_ | ES_READONLY, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(like))),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control == nullptr) return nullptr;
    // Same place in the tab order.
    SetWindowPos(control, like, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(control, EM_SETTEXTMODE, TM_PLAINTEXT, 0); // 2.0 and later; 1.0 knows no other
    SendMessageA(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageA(control, EM_SETUNDOLIMIT, 0, 0); // nothing is typed: no undo to keep
    // Lines run on to the right, as in the edit control.
    SendMessageA(control, EM_SETTARGETDEVICE, 0, 1);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // The edit control's colours: black text on white, set here because a
    // rich edit control asks its parent for none.
    SendMessageA(control, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = RGB(0, 0, 0);
    // The default format is the one text streamed in later takes.
    SendMessageA(control, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageA(control, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    return control;
}

void RichReportView::attach(HWND edit) {
    if (edit == nullptr) return;
    // The edit control's styles and font, kept for every control made later:
    // a rich edit control drops its scroll bars' styles while its text needs
    // none, and does not tell its font.
    style_ = static_cast<DWORD>(GetWindowLongA(edit, GWL_STYLE));
    exStyle_ = static_cast<DWORD>(GetWindowLongA(edit, GWL_EXSTYLE));
    font_ = reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0));
    HWND control = makeControl(edit);
    if (control == nullptr) {
        CappedReportView::attach(edit);
        return;
    }
    display_ = DisplayText(paragraphMark(control));
    rich_ = true;
    DestroyWindow(edit);
    CappedReportView::attach(control);
}

void RichReportView::streamIn(const std::string& shown) {
    if (shown.empty()) return;
    StreamSource source{&shown, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = &readPiece;
    callControl(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

void RichReportView::showText(const std::string& text) {
    HWND old = handle();
    // Emptying a control that holds a long report costs time that grows with
    // the square of its length in some rich edit versions; a new control costs
    // next to nothing.
    HWND fresh = makeControl(old);
    if (fresh != nullptr) {
        const bool focused = GetFocus() == old;
        bind(fresh);
        if (focused) SetFocus(fresh);
        DestroyWindow(old);
    } else {
        callControl(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    }
    display_.clear();
    // Streamed: setting a long text at once takes time that grows with the
    // square of its length in some versions.
    streamIn(display_.append(text));
    CHARRANGE top{0, 0};
    callControl(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&top));
    callControl(EM_SCROLLCARET, 0, 0);
}

size_t RichReportView::heldByControl() const {
    GETTEXTLENGTHEX length{};
    length.flags = GTL_PRECISE | GTL_NUMBYTES;
    length.codepage = CP_ACP;
    const LRESULT bytes = callControl(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (bytes > 0) return static_cast<size_t>(bytes);
    // Rich edit 1.0 knows no EM_GETTEXTLENGTHEX; its own length counts as the text does.
    const LRESULT n = callControl(WM_GETTEXTLENGTH, 0, 0);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

void RichReportView::keepWhatDoesNotFit() {
    const size_t held = display_.toReport(heldByControl());
    if (!kept_.active()) {
        kept_.start(display_.report(), held, heldOnlyLimit(held));
    }
    showText(kept_.viewText());
    // Readers get what the control shows, even should it take less again.
    const size_t shown = heldByControl();
    if (shown < display_.displayLength()) {
        const std::string part = display_.report().substr(0, display_.toReport(shown));
        display_.clear();
        display_.append(part);
    }
}

void RichReportView::replaceWholeText(const char* text) {
    kept_.stop();
    showText(text != nullptr ? text : "");
    if (heldByControl() < display_.displayLength()) keepWhatDoesNotFit();
}

void RichReportView::insertAtControlEnd(const std::string& text) {
    if (!rich_) {
        CappedReportView::insertAtControlEnd(text);
        return;
    }
    if (kept_.active()) {
        kept_.append(text);
        keepWhatDoesNotFit();
        return;
    }
    const LONG end = static_cast<LONG>(display_.displayLength());
    CHARRANGE at{end, end};
    callControl(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    const std::string shown = display_.append(text);
    // Read-only keeps the user from typing; some versions refuse a program's
    // insertion too. (Streaming into the selection instead loses the whole
    // text in a plain-text control of some versions.)
    callControl(EM_SETREADONLY, FALSE, 0);
    callControl(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(shown.c_str()));
    callControl(EM_SETREADONLY, TRUE, 0);
    if (heldByControl() < display_.displayLength()) keepWhatDoesNotFit();
}

size_t RichReportView::shownReportLength() {
    if (!rich_) return CappedReportView::shownReportLength();
    return kept_.active() ? kept_.reportLength() : display_.report().size();
}

LRESULT RichReportView::answerGetSelection(WPARAM wParam, LPARAM lParam) {
    CHARRANGE range{};
    callControl(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    const auto start =
        static_cast<DWORD>(display_.toReport(static_cast<size_t>(std::max<LONG>(range.cpMin, 0))));
    const auto end =
        static_cast<DWORD>(display_.toReport(static_cast<size_t>(std::max<LONG>(range.cpMax, 0))));
    if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = start;
    if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = end;
    // As the rich edit control answers: the packed form holds 16 bits each.
    return start > 0xFFFF || end > 0xFFFF ? -1 : static_cast<LRESULT>(MAKELONG(start, end));
}

void RichReportView::showContextMenu(LPARAM at) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    CHARRANGE range{};
    callControl(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    AppendMenuA(menu, MF_STRING | (range.cpMin == range.cpMax ? MF_GRAYED : 0), kCopyItem, "&Copy");
    AppendMenuA(menu, MF_STRING, kSelectAllItem, "Select &All");
    POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) { // from the keyboard: at the control's corner
        p = {0, 0};
        ClientToScreen(handle(), &p);
    }
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, p.x, p.y, 0, handle(), nullptr));
    DestroyMenu(menu);
    if (chosen == kCopyItem) callControl(WM_COPY, 0, 0);
    if (chosen == kSelectAllItem) {
        CHARRANGE all{0, -1};
        callControl(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    }
}

bool RichReportView::answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!rich_) return CappedReportView::answer(message, wParam, lParam, result);
    switch (message) {
    case WM_SETTEXT:
        replaceWholeText(reinterpret_cast<const char*>(lParam));
        result = TRUE;
        return true;
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(display_.report().size());
        return true;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam == 0) {
            result = 0;
            return true;
        }
        const std::string& report = display_.report();
        const size_t n = std::min(static_cast<size_t>(wParam) - 1, report.size());
        std::memcpy(buffer, report.data(), n);
        buffer[n] = '\0';
        result = static_cast<LRESULT>(n);
        return true;
    }
    case EM_GETSEL:
        result = answerGetSelection(wParam, lParam);
        return true;
    case EM_SETSEL: {
        const auto start = static_cast<LONG>(wParam);
        const auto end = static_cast<LONG>(lParam);
        // -1 keeps the edit control's meanings: no selection, or up to the end.
        const LONG from = start < 0 ? -1 : static_cast<LONG>(display_.toDisplay(static_cast<size_t>(start)));
        const LONG to = end < 0 ? -1 : static_cast<LONG>(display_.toDisplay(static_cast<size_t>(end)));
        result = callControl(EM_SETSEL, static_cast<WPARAM>(from), to);
        return true;
    }
    case WM_CONTEXTMENU:
        showContextMenu(lParam);
        result = 0;
        return true;
    default:
        return false;
    }
}
