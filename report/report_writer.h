// The single way report text reaches the user: appended to the running task's
// report work file, or to the view when no worker is writing one.
#pragma once

#include "report_file.h"
#include "report_trailer.h"
#include "report_view.h"
#include "shared_text.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The part of the window's state the writer needs. The window owns one; tests
// make their own with a fake view.
struct ReportState {
    std::atomic<uint32_t> collectorRunning{0};
    std::atomic<uint32_t> servicesRunning{0};
    std::atomic<uint8_t> ieRunning{0};
    std::atomic<uint8_t> suppressOutput{0};
    SharedText reportPath;
    std::atomic<int32_t> reportLength{0};

    // Copies kept by the collector worker for viewPrintf.
    std::atomic<uint8_t> collectorActive{0};
    SharedText collectorReportPath;

    ReportFile reportFile;
    ReportView* view = nullptr;

    bool fileMode() const { return collectorRunning != 0 || servicesRunning != 0 || ieRunning != 0; }
};

namespace report {
inline constexpr size_t kFirstBuffer = 2561;
inline constexpr size_t kBufferStep = 2560;
inline constexpr size_t kBufferLimit = 2560001;
inline constexpr size_t kViewPrintfBuffer = 9260;
// The longest text reportPrintf accepts: the largest buffer below the limit, less its terminator.
inline constexpr size_t kLongestText =
    kFirstBuffer + ((kBufferLimit - kFirstBuffer - 1) / kBufferStep) * kBufferStep - 1;
} // namespace report

// printf-style append of one piece of report text; returns the formatted
// length (0 while output is suppressed or the text is too long to format).
int reportPrintf(ReportState& dialog, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The same for text that is not a format: appended as it stands.
int reportWrite(ReportState& dialog, std::string_view text);

// Appends at the view's caret, or to the collector's report file while the collector runs.
void viewPrintf(ReportState& dialog, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes the closing block of every report (reportTrailer()).
void writeReportTrailer(ReportState& dialog);

// Deletes the work files of earlier runs from `directory` (which ends in a
// backslash): every file whose name starts as a report, runner or exchange
// work file's does, each by its exact name, except those named in `keep`
// (full paths, compared without regard to case). `stop` is asked right before
// each delete; once it says true nothing more is deleted. Returns once it is done.
void sweepStaleWorkFiles(const std::string& directory, const std::vector<std::string>& keep,
                         const std::function<bool()>& stop);
