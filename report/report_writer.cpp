#include "report_writer.h"

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

void sweepStaleWorkFiles(const std::string& directory, const std::vector<std::string>& keep,
                         const std::function<bool()>& stop) {
    static const char* const kPatterns[] = {"Korvexer_work_file*.*", "korvexDlg32_temp_file*.*",
                                            "korvexDlg32_work_file*.*"};
    // Named here, deleted one by one: no command interpreter, so nothing in
    // the folder's name can turn the sweep elsewhere.
    std::vector<std::string> found;
    for (const char* pattern : kPatterns) {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((directory + pattern).c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                found.push_back(directory + entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    for (const std::string& path : found) {
        bool kept = false;
        for (const std::string& own : keep)
            kept = kept || lstrcmpiA(own.c_str(), path.c_str()) == 0;
        if (kept) continue;
        // Asked again for every file: a copy started after the listing may
        // already have made the file about to go, and a halt wants the task
        // over at once. What is left waits for a later sweep.
        if (stop && stop()) return;
        // A file another process still holds open is not deleted; a later sweep takes it.
        DeleteFileA(path.c_str());
    }
}
