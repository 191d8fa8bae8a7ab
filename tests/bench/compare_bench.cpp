// /compare over two hive dumps: parsing, matching and the text, for two
// dumps given as files (e.g. two HKLM dumps) or for made-up dumps of growing
// size, which show whether the time grows with the size alone. Prints figures.
#include "app/compare_command.h"
#include "compare/report_compare.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// A dump of `keys` keys with four values each; `changed` changes every
// thousandth value.
std::string madeUpDump(int keys, bool changed) {
    std::string text = "HKEY_LOCAL_MACHINE Registry:\r\n\r\n";
    for (int i = 0; i < keys; ++i) {
        const std::string key = "Software\\Classes\\CLSID\\{0000" + std::to_string(i) + "-0000}";
        text += "\r\r\n   Key: " + key + "\r\r\n   Key: " + key + "\\InprocServer32\r\r\n";
        text += "\t (Default): C:\\WINDOWS\\system32\\shell32.dll\r\r\n\t ThreadingModel: Apartment\r\r\n";
        text += "\r\r\n\r\r\n   Key: " + key + " \r\r\n\t AppID: {" + std::to_string(i) + "}\r\r\n";
        text += "\t Version: " + std::string(changed && i % 1000 == 0 ? "2" : "1") + "\r\r\n";
    }
    return text + "\r\n===========================================================================\r\n"
                  "Korvexer.exe -> trailer\r\n";
}

void measure(const char* what, const std::string& a, const std::string& b) {
    const auto start = std::chrono::steady_clock::now();
    const Comparison c = compareReports(a, b, "old", "new");
    const double took = ms(start);
    const size_t last = c.text.rfind("\r\n", c.text.size() - 3);
    std::printf("%-34s %6.1f MB + %6.1f MB: %8.0f ms (%.0f ms per MB), %s\n", what, a.size() / 1048576.0,
                b.size() / 1048576.0, took, took / ((a.size() + b.size()) / 1048576.0),
                c.outcome == Comparison::Outcome::Trouble ? c.trouble.c_str()
                                                          : c.text.substr(last + 2).c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3) {
        std::string a, b, reason;
        if (!readReportFile(argv[1], kLargestComparedReport, a, reason) ||
            !readReportFile(argv[2], kLargestComparedReport, b, reason)) {
            std::printf("%s\n", reason.c_str());
            return 1;
        }
        measure("the two files", a, b);
        measure("the first file against itself", a, a);
        return 0;
    }
    for (int keys : {10000, 40000, 160000})
        measure(("made-up dumps, " + std::to_string(keys) + " keys").c_str(), madeUpDump(keys, false),
                madeUpDump(keys, true));
    return 0;
}
