#include "console_streams.h"

#include "progress_line.h"
#include "report/system_api.h"

#include <string>

namespace {

bool usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// AttachConsole came with Windows XP: looked up, never imported.
bool attachToParentConsole() {
    using AttachConsoleFunction = BOOL(WINAPI*)(DWORD processId);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return false;
    auto attach = reinterpret_cast<AttachConsoleFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "AttachConsole")));
    const DWORD kParentProcess = static_cast<DWORD>(-1);
    return attach != nullptr && attach(kParentProcess) != 0;
}

} // namespace

ConsoleStreams::ConsoleStreams() {
    out_ = GetStdHandle(STD_OUTPUT_HANDLE);
    err_ = GetStdHandle(STD_ERROR_HANDLE);
    // Attached also when both are redirected: only a process attached to the
    // console receives its Ctrl+C and its close.
    if (!attachToParentConsole()) return;
    sys::noteAttachedToConsole();
    if (usable(out_) && usable(err_)) return;
    console_ = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (!usable(out_)) out_ = console_;
    if (!usable(err_)) err_ = console_;
}

ConsoleStreams::~ConsoleStreams() {
    if (usable(console_)) CloseHandle(console_);
}

void ConsoleStreams::write(HANDLE handle, std::string_view text) {
    if (!usable(handle)) return;
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written == 0)
            return;
        text.remove_prefix(written);
    }
}

void ConsoleStreams::out(std::string_view text) {
    // Standard output may be the same console.
    if (progress_ != nullptr) progress_->finish();
    write(out_, text);
}

void ConsoleStreams::errorLine(std::string_view text) {
    if (progress_ != nullptr) progress_->finish();
    std::string line = "Korvexer: ";
    for (char c : text)
        line.push_back(c == '\r' || c == '\n' ? ' ' : c);
    line += "\r\n";
    write(err_, line);
}
