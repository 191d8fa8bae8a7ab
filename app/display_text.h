// The report text as a rich edit control holds it. The edit control keeps
// the report byte for byte and shows both of its line ends ("\r\n", and the
// "\r\r\n" of reports read back from work files) as one line break; a rich
// edit control ends its paragraphs with a mark of its own ("\r" in 2.0, "\r\n"
// in 1.0) and takes "\r\r\n" for a soft break that joins two lines. So the
// control gets every line end as one paragraph mark, and this keeps the report
// itself and the offsets between the two texts.
//
// Free of window calls: the mapping is tested on data alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class DisplayText {
  public:
    // `mark`: the control's paragraph mark, "\r" or "\r\n".
    explicit DisplayText(std::string_view mark = "\r");

    void clear();
    // Adds report text and returns what the control gets for it. A run of
    // carriage returns ended by a line feed is one line end; a carriage return
    // or line feed alone breaks no line in the edit control and becomes a blank
    // here, so the control breaks lines exactly where the edit control does.
    // Carriage returns at the very end wait for the next text (they may begin
    // a line end that the next piece completes).
    std::string append(std::string_view text);

    const std::string& report() const { return report_; }
    size_t displayLength() const { return displayLength_; }

    // Offsets between the two texts. An offset inside a line end maps to the
    // start of its counterpart; offsets past the end map to the other end.
    size_t toDisplay(size_t reportOffset) const;
    size_t toReport(size_t displayOffset) const;

  private:
    struct LineEnd {
        uint32_t reportStart;  // the first carriage return
        uint32_t reportEnd;    // after the line feed
        uint32_t displayStart; // the paragraph mark
    };
    std::string mark_;
    std::string report_;
    size_t displayLength_ = 0;
    size_t pendingReturns_ = 0; // carriage returns at the end not yet handed on
    std::vector<LineEnd> lineEnds_;
};
