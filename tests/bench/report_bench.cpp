// Lines per second through reportPrintf: file mode (400,000 lines into a
// work file) and view mode (2 MB appended to a real edit control in pieces
// of about 500 bytes). Prints figures; asserts nothing.
#include "app/edit_view.h"
#include "report/report_writer.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 400000;
    char dir[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "korvexer_bench_report.txt";
    DeleteFileA(path.c_str());

    ReportState file;
    file.collectorRunning = 1;
    file.reportPath.set(path);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < lines; ++i) reportPrintf(file, "   Value %d: REG_SZ some text of a typical report line\n", i);
    file.reportFile.close();
    const double fileSeconds = seconds(start);
    std::printf("file mode: %d lines in %.2f s = %.0f lines/s\n", lines, fileSeconds, lines / fileSeconds);
    DeleteFileA(path.c_str());

    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | ES_READONLY, 0, 0, 400, 300,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (edit == nullptr) {
        std::printf("view mode: no window (no display?)\n");
        return 0;
    }
    SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    EditReportView view;
    view.attach(edit);
    ReportState shown;
    shown.view = &view;
    const std::string piece(498, 'v');
    // The whole 2 MB costs minutes in view mode (every append re-sets the
    // whole text), so the default is a part of it; pass the count to change it.
    const int pieces = argc > 2 ? std::atoi(argv[2]) : 600;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < pieces; ++i) reportPrintf(shown, "%s\n", piece.c_str());
    const double viewSeconds = seconds(start);
    std::printf("view mode: %d pieces of 500 bytes (%d bytes) in %.2f s = %.0f pieces/s\n", pieces,
                static_cast<int>(shown.reportLength), viewSeconds, pieces / viewSeconds);
    // The same pieces inserted at the caret, for comparison with a later fast path.
    SetWindowTextA(edit, "");
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < pieces; ++i) view.insertAtEnd(piece + "\r\n");
    const double caretSeconds = seconds(start);
    std::printf("insert at caret: %d pieces in %.2f s = %.0f pieces/s\n", pieces, caretSeconds, pieces / caretSeconds);
    DestroyWindow(edit);
    return 0;
}
