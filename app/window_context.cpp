#include "window_context.h"

#include "task_host.h"

void WindowContext::write(std::string_view text) {
    reportWrite(host_, text);
}

bool WindowContext::haltRequested() const {
    return host_.haltRequested != 0;
}

void WindowContext::progress() {
    host_.progressStep();
}

void WindowContext::animate(bool on) {
    host_.animateStatus = on ? 1 : 0;
}

StatusDisplay& WindowContext::status() {
    return *host_.status;
}

void WindowContext::keysVisited(int count) {
    host_.keysVisited(count);
}

void WindowContext::showLive(std::string_view text) {
    // A worker's live text must not land after a Clear has emptied the view.
    host_.showWholeUnlessHalted(std::string(text));
}

std::string WindowContext::taskHeader() const {
    return host_.taskHeader.get();
}

void WindowContext::tell(const std::string& text, const std::string& title) {
    host_.showMessage(text.c_str(), title.c_str());
}

bool WindowContext::ask(const std::string& text, const std::string& title) {
    return host_.askQuestion(text.c_str(), title.c_str());
}

void WindowContext::showBusyCursor(bool on) {
    host_.showBusyCursor(on);
}

void WindowContext::clearDefaultButton() {
    host_.clearDefaultButton();
}

std::function<int(std::string_view)> WindowContext::viewTextWidth() {
    if (!textWidth_) textWidth_ = std::make_unique<ViewTextWidth>(host_.measuredView(), host_.fontOwner());
    return textWidth_->function();
}
