// The report as a rich edit control gets it: one paragraph mark per line end
// of the report, wherever the pieces were cut, and offsets that lead back.
#include "app/display_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::vector<std::string> pieces;
    std::string shownWithCr;   // rich edit 2.0: "\r"
    std::string shownWithCrLf; // rich edit 1.0: "\r\n"
};

TEST(DisplayText, EveryLineEndIsOneMarkWhereverThePiecesAreCut) {
    const std::vector<Case> cases = {
        {{"a\r\nb"}, "a\rb", "a\r\nb"},
        {{"a\r\r\nb"}, "a\rb", "a\r\nb"},
        {{"a\r\r\r\nb"}, "a\rb", "a\r\nb"},
        {{"a\rb\nc"}, "a b c", "a b c"},
        {{"a\r", "\nb"}, "a\rb", "a\r\nb"},
        {{"a\r", "\r", "\nb\r\n"}, "a\rb\r", "a\r\nb\r\n"},
        {{"a\r", "b"}, "a b", "a b"},
        {{"\r\n\r\n", "", "x"}, "\r\rx", "\r\n\r\nx"},
        {{"ends with a return\r"}, "ends with a return", "ends with a return"},
    };
    for (const Case& c : cases) {
        for (const bool crOnly : {true, false}) {
            DisplayText text(crOnly ? "\r" : "\r\n");
            std::string shown, report;
            for (const std::string& piece : c.pieces) {
                shown += text.append(piece);
                report += piece;
            }
            const std::string& expected = crOnly ? c.shownWithCr : c.shownWithCrLf;
            EXPECT_EQ(shown, expected) << report;
            EXPECT_EQ(text.displayLength(), expected.size()) << report;
            EXPECT_EQ(text.report(), report);
        }
    }
}

// Every character of a line maps to the same character in the other text and
// back; an offset inside a line end maps to the start of the other's.
TEST(DisplayText, OffsetsLeadToTheSameCharacterBothWays) {
    const std::string report = "Key: one\r\r\n\t value\r\nlast\rline\r\r\n\r\nend";
    // Where each line end begins, for every offset inside one.
    std::vector<size_t> lineEndStart(report.size(), std::string::npos);
    for (size_t i = 0; i < report.size(); ++i) {
        size_t j = i;
        while (j < report.size() && report[j] == '\r')
            ++j;
        if (j > i && j < report.size() && report[j] == '\n') {
            for (size_t k = i; k <= j; ++k)
                lineEndStart[k] = i;
            i = j;
        }
    }
    for (const std::string mark : {"\r", "\r\n"}) {
        DisplayText text(mark);
        std::string shown = text.append(report.substr(0, 9));
        shown += text.append(report.substr(9));
        for (size_t r = 0; r < report.size(); ++r) {
            const size_t d = text.toDisplay(r);
            ASSERT_LT(d, shown.size()) << r;
            if (lineEndStart[r] != std::string::npos) {
                EXPECT_EQ(shown.compare(d, mark.size(), mark), 0) << r;
                EXPECT_EQ(text.toReport(d), lineEndStart[r]) << r;
                EXPECT_EQ(text.toReport(d + mark.size() - 1), lineEndStart[r]) << r;
            } else {
                EXPECT_EQ(shown[d], report[r] == '\r' ? ' ' : report[r]) << r;
                EXPECT_EQ(text.toReport(d), r) << r;
            }
        }
        EXPECT_EQ(text.toDisplay(report.size()), shown.size());
        EXPECT_EQ(text.toReport(shown.size() + 5), report.size());
    }
}

} // namespace
