#include "kept_report.h"

#include "report/work_file.h"

namespace {

constexpr const char* kKeptPattern = "%sKorvexer_whole_report.%06d%d.txt";

} // namespace

std::string editControlLimit() {
    return "the text box of this Windows holds 64 KB";
}

std::string heldOnlyLimit(size_t heldBytes) {
    return "the text box could take only " + std::to_string(heldBytes) + " bytes of it";
}

std::string keptReportNotice(size_t reportLength, const std::string& keptPath, const std::string& limit) {
    std::string notice = "This report is " + std::to_string(reportLength) + " bytes long; " + limit +
                         ", so only its beginning is shown.";
    if (keptPath.empty()) return notice + " The whole report could not be written to the work folder.";
    return notice + " The whole report is kept in " + keptPath;
}

std::string keptReportView(std::string_view report, size_t reportLength, const std::string& keptPath,
                           size_t capacity, const std::string& limit) {
    std::string view = keptReportNotice(reportLength, keptPath, limit) + "\r\n";
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

void KeptReport::start(const std::string& report, size_t capacity, const std::string& limit) {
    const ClaimedName claimed = claimWorkFileName(kKeptPattern);
    path_ = claimed.created() && appendWorkFile(claimed.path, report) ? claimed.path : std::string();
    active_ = true;
    reportLength_ = report.size();
    capacity_ = capacity;
    limit_ = limit;
    beginning_ = keptReportView(report, report.size(), path_, capacity_, limit_);
    beginning_.erase(0, beginning_.find('\n') + 1);
}

void KeptReport::append(std::string_view text) {
    // A file that no longer takes the report is no longer named as its copy.
    if (!path_.empty() && !appendWorkFile(path_, text)) path_.clear();
    reportLength_ += text.size();
}

std::string KeptReport::viewText() const {
    return keptReportView(beginning_, reportLength_, path_, capacity_, limit_);
}
