// What a view shows of a report longer than its control can hold: one line
// that says how long the report is and where the whole of it is kept, then
// the report's beginning; and the file that keeps it. The texts are free of
// window calls.
#pragma once

#include <string>
#include <string_view>

// The most a multi-line edit control of Windows 95, 98 and ME holds.
constexpr size_t kNineXEditBytes = 65535;

// Why only the beginning shows: the 64 KB of the 95 family's edit control.
std::string editControlLimit();
// The same for a control that took only `heldBytes` of the report.
std::string heldOnlyLimit(size_t heldBytes);

// The first line, without its line end. An empty `keptPath`: the whole
// report could not be written anywhere.
std::string keptReportNotice(size_t reportLength, const std::string& keptPath,
                             const std::string& limit = editControlLimit());

// The view's text: the notice, a line end, and as much of `report` from its
// start as fits in `capacity` bytes, cut after a whole line where one fits.
std::string keptReportView(std::string_view report, size_t reportLength, const std::string& keptPath,
                           size_t capacity = kNineXEditBytes, const std::string& limit = editControlLimit());

// A report kept whole in a file of its own in the work folder (which stays:
// it is the user's), while the view shows its notice and beginning.
class KeptReport {
  public:
    bool active() const { return active_; }
    // Writes `report` to a new file; the view will have `capacity` bytes.
    void start(const std::string& report, size_t capacity, const std::string& limit);
    // The report goes on: into the file.
    void append(std::string_view text);
    void stop() { active_ = false; }

    std::string viewText() const;
    size_t reportLength() const { return reportLength_; }
    // The file of the last report kept (empty: none, or it could not be written).
    const std::string& path() const { return path_; }

  private:
    bool active_ = false;
    size_t reportLength_ = 0;
    size_t capacity_ = 0;
    std::string limit_;
    std::string path_;
    std::string beginning_; // never changes once kept: only the notice's length does
};
