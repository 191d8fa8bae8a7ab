// Lines per second through reportPrintf: file mode (400,000 lines into a
// work file) and view mode (2 MB appended to a visible edit control in pieces
// of about 500 bytes, against one WM_SETTEXT of the same text). Prints
// figures; asserts nothing.
#include "app/edit_view.h"
#include "report/report_writer.h"

#include "bench_support.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

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
    for (int i = 0; i < lines; ++i)
        reportPrintf(file, "   Value %d: REG_SZ some text of a typical report line\n", i);
    file.reportFile.close();
    const double fileSeconds = seconds(start);
    std::printf("file mode: %d lines in %.2f s = %.0f lines/s\n", lines, fileSeconds, lines / fileSeconds);
    DeleteFileA(path.c_str());

    HWND edit = CreateWindowExA(0, "EDIT", "",
                                WS_POPUP | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                    WS_VSCROLL | WS_HSCROLL | ES_READONLY,
                                0, 0, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (edit == nullptr) {
        std::printf("view mode: no window (no display?)\n");
        return 0;
    }
    EditReportView view;
    view.attach(edit);
    ReportState shown;
    shown.view = &view;
    const std::string piece(498, 'v');
    // 2 MB in pieces of 500 bytes (with the line end), as the runner delivers output.
    const int pieces = argc > 2 ? std::atoi(argv[2]) : (2 << 20) / 500;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < pieces; ++i) {
        reportPrintf(shown, "%s\n", piece.c_str());
        pumpMessages();
    }
    view.flush(); // the last burst belongs to the time
    const double viewSeconds = seconds(start);
    std::printf("view mode: %d pieces of 500 bytes (%d bytes) in %.2f s = %.0f pieces/s\n", pieces,
                static_cast<int>(shown.reportLength), viewSeconds, pieces / viewSeconds);

    // The same final text set at once: the floor any way of filling the view has.
    const std::string whole = view.text();
    SetWindowTextA(edit, "");
    start = std::chrono::steady_clock::now();
    SetWindowTextA(edit, whole.c_str());
    pumpMessages();
    const double setSeconds = seconds(start);
    std::printf("one WM_SETTEXT of the same %zu bytes: %.2f s; appends / set = %.2f\n", whole.size(),
                setSeconds, viewSeconds / setSeconds);

    // The old rule (read the whole text, set it again) for a part of it: it is
    // quadratic, so the whole 2 MB would take many minutes.
    const int oldPieces = argc > 3 ? std::atoi(argv[3]) : 600;
    SetWindowTextA(edit, "");
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < oldPieces; ++i) {
        std::string all = view.text();
        all += piece + "\r\n";
        view.setText(all);
        pumpMessages();
    }
    const double oldSeconds = seconds(start);
    std::printf("whole-text rule: %d pieces in %.2f s = %.0f pieces/s\n", oldPieces, oldSeconds,
                oldPieces / oldSeconds);
    DestroyWindow(edit);
    return 0;
}
