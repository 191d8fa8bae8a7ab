#include "kept_report.h"

std::string keptReportNotice(size_t reportLength, const std::string& keptPath) {
    std::string notice =
        "This report is " + std::to_string(reportLength) +
        " bytes long; the text box of this Windows holds 64 KB, so only its beginning is shown.";
    if (keptPath.empty()) return notice + " The whole report could not be written to the work folder.";
    return notice + " The whole report is kept in " + keptPath;
}

std::string keptReportView(std::string_view report, size_t reportLength, const std::string& keptPath,
                           size_t capacity) {
    std::string view = keptReportNotice(reportLength, keptPath) + "\r\n";
    if (view.size() >= capacity) return view;
    const size_t room = capacity - view.size();
    size_t cut = report.size();
    if (cut > room) {
        const size_t lineEnd = report.rfind('\n', room - 1);
        cut = lineEnd == std::string_view::npos ? room : lineEnd + 1;
    }
    view.append(report.substr(0, cut));
    return view;
}
