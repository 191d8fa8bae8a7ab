#include "command_line_progress.h"

#include "console_streams.h"

namespace {

// How often the writer looks at the line; the line itself keeps to its interval.
constexpr DWORD kWriterPeriod = 100;

uint32_t milliseconds() {
    return GetTickCount();
}

} // namespace

bool StandardErrorConsole::isConsole() {
    DWORD mode = 0;
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode) != 0;
}

int StandardErrorConsole::width() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(handle_, &info) && info.dwSize.X > 0) return info.dwSize.X;
    return 80;
}

void StandardErrorConsole::write(std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written == 0)
            return;
        text.remove_prefix(written);
    }
}

CommandLineProgress::CommandLineProgress(ConsoleStreams& streams, bool quiet)
    : streams_(streams), console_(streams.errorHandle()), line_(console_, milliseconds, quiet) {
    if (!line_.shown()) return;
    streams_.blankOutFirst(&line_);
    stop_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (stop_.valid()) thread_.reset(CreateThread(nullptr, 0, writer, this, 0, nullptr));
}

CommandLineProgress::~CommandLineProgress() {
    line_.finish();
    if (thread_.valid()) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    streams_.blankOutFirst(nullptr);
}

DWORD WINAPI CommandLineProgress::writer(void* self) {
    auto* progress = static_cast<CommandLineProgress*>(self);
    try {
        while (WaitForSingleObject(progress->stop_.get(), kWriterPeriod) == WAIT_TIMEOUT)
            progress->line_.tick();
    } catch (...) {
        // No memory for a line of text: the run goes on without the line.
    }
    return 0;
}
