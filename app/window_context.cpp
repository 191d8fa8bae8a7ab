#include "window_context.h"

#include "main_dialog.h"

void WindowContext::write(std::string_view text) {
    reportWrite(dialog_, text);
}

bool WindowContext::haltRequested() const {
    return dialog_.haltRequested != 0;
}

void WindowContext::progress() {
    statusProgressFor(dialog_);
}

void WindowContext::animate(bool on) {
    dialog_.animateStatus = on ? 1 : 0;
}

StatusDisplay& WindowContext::status() {
    return dialog_.statusLine();
}

void WindowContext::showLive(std::string_view text) {
    // A worker's live text must not land after a Clear has emptied the view.
    showUnlessHalted(dialog_, std::string(text));
}

std::string WindowContext::taskHeader() const {
    return dialog_.taskHeader.get();
}

void WindowContext::tell(const std::string& text, const std::string& title) {
    dialog_.showMessage(text.c_str(), title.c_str());
}

bool WindowContext::ask(const std::string& text, const std::string& title) {
    return dialog_.askQuestion(text.c_str(), title.c_str());
}

void WindowContext::showBusyCursor(bool on) {
    SetCursor(LoadCursor(nullptr, on ? IDC_APPSTARTING : IDC_ARROW));
}

void WindowContext::clearDefaultButton() {
    // The view first, then an id no control has: Enter then presses nothing.
    SendMessageA(dialog_.hwnd(), DM_SETDEFID, 1000, 0);
    SendMessageA(dialog_.hwnd(), DM_SETDEFID, 12321, 0);
}

std::function<int(std::string_view)> WindowContext::viewTextWidth() {
    if (!textWidth_)
        textWidth_ = std::make_unique<ViewTextWidth>(dialog_.reportView().handle(), dialog_.hwnd());
    return textWidth_->function();
}
