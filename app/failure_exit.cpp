#include "failure_exit.h"

#include <windows.h>

#include <shellapi.h>

namespace failureexit {

std::string viewerCommandLine(const childstart::Interpreter& interpreter, const std::string& reportPath) {
    const std::string program = "\"" + interpreter.program + "\"";
    if (interpreter.nt) return program + " /c \"\"" + reportPath + "\"\"";
    return program + " /c start \"" + reportPath + "\"";
}

void handOverReport(const std::string& reportFile, const std::string& keysFile, const Edges& edges) noexcept {
    try {
        edges.repaintDesktop();
        edges.tell(kText, kTitle);
        if (!edges.openWithShell(reportFile)) edges.openWithInterpreter(reportFile);
    } catch (...) {
        // Without memory to start a viewer the report is not shown; it stays
        // on disk, and the exit goes on.
    }
    try {
        edges.remove(keysFile);
        edges.repaintDesktop();
    } catch (...) {
    }
}

namespace {

bool shellOpen(const std::string& path) {
    const childstart::Interpreter interpreter = childstart::systemInterpreter();
    // Success is a value above 32 that is no handle at all.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr,
                      interpreter.folder.empty() ? nullptr : interpreter.folder.c_str(), SW_SHOWNORMAL));
    return result > 32;
}

bool interpreterOpen(const std::string& path) {
    const childstart::Interpreter interpreter = childstart::systemInterpreter();
    if (interpreter.program.empty()) return false;
    std::string command = viewerCommandLine(interpreter, path);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(interpreter.program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        interpreter.folder.empty() ? nullptr : interpreter.folder.c_str(), &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

} // namespace

Edges systemEdges(std::function<void(const char* text, const char* title)> tell) {
    Edges edges;
    edges.repaintDesktop = [] { InvalidateRect(nullptr, nullptr, TRUE); };
    edges.tell = std::move(tell);
    edges.openWithShell = shellOpen;
    edges.openWithInterpreter = interpreterOpen;
    edges.remove = [](const std::string& path) {
        if (!path.empty()) DeleteFileA(path.c_str());
    };
    return edges;
}

} // namespace failureexit
