// The 64 KB edit control of Windows 95 to ME without a rich edit library: a
// longer report is kept whole in a file that stays, and the view says so
// above the report's beginning.
#include "app/capped_view.h"
#include "app/kept_report.h"
#include "report/work_file.h"
#include "support/scoped_temp.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(KeptReport, TheViewIsTheNoticeAndWholeLinesOfTheBeginning) {
    const std::string report = "line one\r\nline two\r\r\nline three\r\n";
    const std::string notice = keptReportNotice(1234567, "C:\\temp\\kept.txt");
    EXPECT_EQ(notice,
              "This report is 1234567 bytes long; the text box of this Windows holds 64 KB, so only its "
              "beginning is shown. The whole report is kept in C:\\temp\\kept.txt");
    // Room for "line one\r\n" and part of the next line: the cut is after the whole line.
    const size_t capacity = notice.size() + 2 + 14;
    EXPECT_EQ(keptReportView(report, 1234567, "C:\\temp\\kept.txt", capacity), notice + "\r\nline one\r\n");
    // No line end within the room: cut at the room.
    EXPECT_EQ(keptReportView("abcdefghijklmnopqrstuvwxyz", 26, "k", keptReportNotice(26, "k").size() + 2 + 5),
              keptReportNotice(26, "k") + "\r\nabcde");
    EXPECT_NE(keptReportNotice(10, "").find("could not be written"), std::string::npos);
}

struct EditWindow {
    HWND hwnd =
        CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_READONLY, 0,
                        0, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ~EditWindow() { DestroyWindow(hwnd); }
};

std::string fileText(const std::string& path) {
    std::string text;
    EXPECT_TRUE(readWholeFile(path, text)) << path;
    return text;
}

class CappedReportViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(window.hwnd, nullptr);
        view.attach(window.hwnd);
    }
    TempDir dir;
    ScopedTemp temp{dir.path()};
    EditWindow window;
    CappedReportView view{600};
};

TEST_F(CappedReportViewTest, AReportThatFitsIsShownAsItIs) {
    view.setText("Getting App Paths ...........\r\n");
    view.append("short\r\n");
    EXPECT_EQ(view.text(), "Getting App Paths ...........\r\nshort\r\n");
    EXPECT_EQ(view.keptPath(), "");
}

TEST_F(CappedReportViewTest, ALongerWholeReportIsKeptAndItsBeginningShown) {
    std::string report;
    for (int i = 0; i < 100; ++i)
        report += "line " + std::to_string(i) + "\r\r\n";
    view.setWholeText(report);
    const std::string kept = view.keptPath();
    ASSERT_EQ(kept.rfind(dir.path() + "Korvexer_whole_report.", 0), 0u) << kept;
    EXPECT_TRUE(fileText(kept) == report);
    const std::string shown = view.text();
    EXPECT_EQ(shown, keptReportView(report, report.size(), kept, 600));
    EXPECT_LE(shown.size(), 600u);
    // The next report starts afresh; the kept file stays for the user.
    view.setText("");
    EXPECT_EQ(view.text(), "");
    EXPECT_TRUE(fileCanBeRead(kept));
}

// The App Paths report writes into the view piece by piece: once it no longer
// fits, all of it so far is kept and the rest follows into the file.
TEST_F(CappedReportViewTest, AppendsPastTheLimitGoOnIntoTheKeptFile) {
    view.setText("Getting App Paths ...........\r\n");
    std::string report = "Getting App Paths ...........\r\n";
    size_t reported = 0;
    for (int i = 0; i < 60; ++i) {
        const std::string piece = "application path number " + std::to_string(i) + "\r\n";
        report += piece;
        reported = view.append(piece);
        if (i % 7 == 0) view.flush();
    }
    view.flush();
    EXPECT_EQ(reported, report.size());
    const std::string kept = view.keptPath();
    ASSERT_FALSE(kept.empty());
    EXPECT_TRUE(fileText(kept) == report) << fileText(kept).size() << " of " << report.size();
    EXPECT_EQ(view.text(), keptReportView(report, report.size(), kept, 600));
}

} // namespace
