// The report view of Windows 95, 98 and ME against the edit control, on the
// same machine: a 2 MB hive dump set whole (into an empty view, and in place
// of another 2 MB report, as the next task does), and 2 MB of gathered
// appends in pieces of about 100 bytes, as the report writer hands them over,
// reaching the control in bursts of 32 KB.
// Prints figures; asserts nothing. Run it pinned: taskset -c 1.
#include "app/rich_view.h"

#include "bench_support.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace {

struct Figures {
    double intoEmpty = 0;
    double inPlace = 0;
    double appends = 0;
};

// A dump's lines as they come back from a work file.
std::string hiveDump(size_t bytes) {
    std::string text = "HKEY_CURRENT_USER Registry:\r\n\r\n";
    for (int i = 0; text.size() < bytes; ++i)
        text += "\t Value" + std::to_string(i) + ": REG_SZ some text of a typical report line\r\r\n";
    return text;
}

Figures measure(HWND parent, EditReportView& view, const std::string& dump) {
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL |
                                    ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | ES_READONLY,
                                10, 10, 700, 500, parent, reinterpret_cast<HMENU>(1000),
                                GetModuleHandleA(nullptr), nullptr);
    view.attach(edit);
    Figures f;
    auto start = std::chrono::steady_clock::now();
    view.setWholeText(dump);
    pumpMessages();
    f.intoEmpty = seconds(start);
    start = std::chrono::steady_clock::now();
    view.setWholeText(dump);
    pumpMessages();
    f.inPlace = seconds(start);

    view.setText("Getting App Paths ...........\r\n");
    const std::string piece =
        "   C:\\Program Files\\Some Application\\program.exe  1.2.3.4  a line of about 100\r\n";
    start = std::chrono::steady_clock::now();
    for (size_t sent = 0; sent < dump.size(); sent += piece.size()) {
        view.append(piece);
        // A burst every 32 KB: a worker's appends reach the control every
        // 300 ms, a few dozen times in a long report.
        if (sent % (32 * 1024) < piece.size()) view.flush();
        pumpMessages();
    }
    view.flush();
    f.appends = seconds(start);
    DestroyWindow(view.handle());
    return f;
}

} // namespace

int main() {
    HWND parent = CreateWindowExA(0, "STATIC", "Korvexer view bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  760, 580, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (parent == nullptr) {
        std::printf("no window (no display?)\n");
        return 0;
    }
    const std::string dump = hiveDump(2 << 20);
    std::printf("%zu bytes, %s\n", dump.size(), "times in seconds");
    std::printf("%-22s %10s %10s %10s\n", "view", "empty", "in place", "appends");

    EditReportView plain;
    const Figures edit = measure(parent, plain, dump);
    std::printf("%-22s %10.2f %10.2f %10.2f\n", "edit control", edit.intoEmpty, edit.inPlace, edit.appends);
    for (const auto& [library, className] :
         {std::pair{"riched20.dll", "RichEdit20A"}, {"riched32.dll", "RICHEDIT"}}) {
        if (LoadLibraryA(library) == nullptr) {
            std::printf("%-22s not loaded\n", library);
            continue;
        }
        RichReportView rich(className);
        const Figures r = measure(parent, rich, dump);
        std::printf("%-22s %10.2f %10.2f %10.2f   (x%.2f x%.2f x%.2f of the edit control)\n", className,
                    r.intoEmpty, r.inPlace, r.appends, r.intoEmpty / edit.intoEmpty, r.inPlace / edit.inPlace,
                    r.appends / edit.appends);
    }
    DestroyWindow(parent);
    return 0;
}
