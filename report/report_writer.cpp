#include "report_writer.h"

#include "system_api.h"

#include "text_format.h"

#include <windows.h>

#include <cstdarg>

namespace {

// The file is written as a text-mode stream would write it: each "\n" of the
// line reaches the disk as "\r\n", so the line's own "\r\n" becomes "\r\r\n".
std::string asTextModeBytes(std::string_view line) {
    return expandLineFeeds(line);
}

// The same from the text as a section wrote it, in one pass: each "\n" is
// "\r\n" in the report and "\r\r\n" on disk.
std::string diskBytesOf(std::string_view text, size_t& reportChars) {
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 8);
    size_t lineFeeds = 0;
    for (char c : text) {
        if (c == '\n') {
            out += "\r\r";
            ++lineFeeds;
        }
        out.push_back(c);
    }
    reportChars = text.size() + lineFeeds;
    return out;
}

} // namespace

int reportPrintf(ReportState& d, const char* format, ...) {
    if (d.suppressOutput) return 0;
    va_list args;
    va_start(args, format);
    auto text = formatGrowing(report::kFirstBuffer, report::kBufferStep, report::kBufferLimit, format, args);
    va_end(args);
    if (!text) return 0;
    return reportWrite(d, *text);
}

int reportWrite(ReportState& d, std::string_view text) {
    if (d.suppressOutput) return 0;
    // Literal text is held to the same limit as formatted text.
    if (text.size() > report::kLongestText) return 0;
    if (d.fileMode()) {
        size_t reportChars = 0;
        d.reportFile.append(d.reportPath.get(), diskBytesOf(text, reportChars));
        d.reportLength += static_cast<int32_t>(reportChars);
    } else if (d.view != nullptr) {
        d.reportLength = static_cast<int32_t>(d.view->append(expandLineFeeds(text)));
    }
    return static_cast<int>(text.size());
}

void viewPrintf(ReportState& d, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatCut(report::kViewPrintfBuffer, format, args);
    va_end(args);
    const std::string line = expandLineFeeds(text);
    if (d.collectorActive) {
        d.reportFile.append(d.collectorReportPath.get(), asTextModeBytes(line));
    } else if (d.view != nullptr) {
        d.view->insertAtEnd(line);
    }
}

void writeReportTrailer(ReportState& d) {
    reportPrintf(d, "%s", reportTrailer());
}

std::string staleCleanupCommand(int which, const std::string& directory) {
    static const char* const kPatterns[] = {"Korvexer_work_file*.*", "korvexDlg32_temp_file*.*",
                                            "korvexDlg32_work_file*.*"};
    if (which < 0 || which > 2) return {};
    // The command interpreter expands "%NAME%" on its command line even
    // between quotation marks, and a quotation mark would end the quoting: a
    // "del" aimed elsewhere is worse than files left over, so such a
    // directory is not swept.
    if (directory.find_first_of("%\"") != std::string::npos) return {};
    // Quoted: work directories under "Documents and Settings" contain blanks.
    return "cmd /c del \"" + directory + kPatterns[which] + "\"";
}

void startStaleWorkFileCleanup(const std::string& directory) {
    // "del" tells of every pattern that matched nothing; that goes nowhere,
    // not to the program's own standard error or console (a report run from
    // a command line has one line there, its reason, or nothing).
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
    for (int i = 0; i < 3; ++i) {
        std::string command = staleCleanupCommand(i, directory);
        if (command.empty()) break;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_HIDE;
        if (nul != INVALID_HANDLE_VALUE) {
            si.dwFlags |= STARTF_USESTDHANDLES;
            si.hStdInput = nul;
            si.hStdOutput = nul;
            si.hStdError = nul;
        }
        PROCESS_INFORMATION pi{};
        // Hidden, never in the console a command-line run is attached to.
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, nul != INVALID_HANDLE_VALUE,
                            sys::childConsoleFlag(), nullptr, nullptr, &si, &pi))
            continue;
        // Waited for (a while): a "del" still running when the next task
        // names its report file would take that file with it.
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
}
