// Find Next over a 20 MB report: the first search (copy of the view taken and
// lower-cased) and a repeated one on the same copy. Prints figures.
#include "app/edit_view.h"
#include "report/text_search.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {
double ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}
}  // namespace

int main() {
    std::string report;
    report.reserve(21 * 1024 * 1024);
    for (int i = 0; report.size() < 20 * 1024 * 1024; ++i)
        report += "\r\n   Key: HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{0000" + std::to_string(i) +
                  "}\r\n\t InprocServer32: C:\\WINDOWS\\system32\\Shell32.dll\r\n";
    report += "\r\n   Key: Needle at the end\r\n";
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_READONLY,
                                0, 0, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (edit == nullptr) {
        std::printf("no window (no display?)\n");
        return 0;
    }
    SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    EditReportView view;
    view.attach(edit);
    auto start = std::chrono::steady_clock::now();
    view.setText(report);
    std::printf("view holds %zu bytes (set in %.0f ms)\n", view.length(), ms(start));

    start = std::chrono::steady_clock::now();
    SearchCopy copy{view.text(), false};
    const double copied = ms(start);
    long p = nextMatch(copy, "NEEDLE", 0);
    const double first = ms(start);
    std::printf("first search: %.0f ms (copy %.0f ms), found at %ld\n", first, copied, p);

    start = std::chrono::steady_clock::now();
    p = nextMatch(copy, "needle", 0);
    std::printf("repeated search: %.1f ms, found at %ld\n", ms(start), p);
    start = std::chrono::steady_clock::now();
    p = nextMatch(copy, "no such text anywhere", 0);
    std::printf("repeated search, no match (wraps): %.1f ms\n", ms(start));
    DestroyWindow(edit);
    return 0;
}
