// Find, Search, F3, Clear and Close as a user drives them.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using automation::App;

struct Search : ::testing::Test {
    TempDir work;
    App app{work.path()};
    void SetUp() override { ASSERT_TRUE(automation::readyForCommands(app)); }
    // A finished task: the Internet Explorer report of this machine, which
    // ends with the report trailer.
    void showIeReport() {
        app.press(IDC_IE);
        ASSERT_TRUE(automation::waitUntil(
            [&] {
                return app.text(IDC_STATUS_LINE) == " " &&
                       app.text(IDC_REPORT_VIEW).find("Korvexer.exe -> ") != std::string::npos;
            },
            60000))
            << app.text(IDC_REPORT_VIEW).substr(0, 300);
    }
    // Where `pattern` occurs in the view, in any case.
    std::vector<DWORD> occurrences(const std::string& pattern) {
        return automation::matchOffsets(app.text(IDC_REPORT_VIEW), pattern);
    }
    std::pair<DWORD, DWORD> selection() {
        DWORD s = 0, e = 0;
        app.selection(s, e);
        return {s, e};
    }
    void typePattern(const char* pattern) { app.setText(IDC_SEARCH_FIELD, pattern); }
    void pressCtrl(BYTE key) {
        // Typed keys go to the foreground window: on a busy machine the
        // window may take a moment to become it.
        automation::waitUntil(
            [&] {
                SetForegroundWindow(app.window());
                return GetForegroundWindow() == app.window();
            },
            3000);
        keybd_event(VK_CONTROL, 0, 0, 0);
        keybd_event(key, 0, 0, 0);
        keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    }
};

TEST_F(Search, FindIsRefusedBeforeTheFirstTaskAndAfterClear) {
    app.press(IDC_FIND);
    EXPECT_FALSE(app.visible(IDC_SEARCH));
    EXPECT_EQ(app.text(IDC_STATUS_LINE), " ");
    showIeReport();
    app.press(IDC_CLEAR);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), " ");
    app.press(IDC_FIND);
    EXPECT_FALSE(app.visible(IDC_SEARCH));
    EXPECT_FALSE(app.visible(IDC_SEARCH_FIELD));
}

TEST_F(Search, EnterSearchesAfterTwoTicksAndF3StepsAndWraps) {
    showIeReport();
    app.press(IDC_FIND);
    EXPECT_TRUE(app.visible(IDC_SEARCH));
    EXPECT_TRUE(app.visible(IDC_SEARCH_FIELD));
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "Find Next:  F3");

    // The trailer names the program twice; the machine's own text may name it more often.
    const std::vector<DWORD> at = occurrences("korvexer");
    ASSERT_GE(at.size(), 2u);
    typePattern("KORVEXER");
    PostMessageA(app.control(IDC_SEARCH_FIELD), WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(automation::waitUntil([&] { return selection() == std::make_pair(at[0], at[0] + 8); }, 5000))
        << selection().first;
    EXPECT_TRUE(automation::waitUntil([&] { return app.text(IDC_STATUS_LINE) == "Find Next:  F3"; }, 2000));
    EXPECT_FALSE(app.visible(IDC_SEARCH));

    // Each match in turn, then round to the first and on to the second.
    for (size_t i = 1; i <= at.size(); ++i) {
        const DWORD want = at[i % at.size()];
        app.postKey(VK_F3);
        EXPECT_TRUE(
            automation::waitUntil([&] { return selection() == std::make_pair(want, want + 8); }, 3000))
            << want;
        EXPECT_EQ(app.text(IDC_STATUS_LINE), "");
    }
}

TEST_F(Search, CtrlFAndCtrlBShowTheBar) {
    showIeReport();
    for (BYTE key : {BYTE('F'), BYTE('B')}) {
        pressCtrl(key);
        EXPECT_TRUE(automation::waitUntil([&] { return app.visible(IDC_SEARCH_FIELD); }, 3000)) << key;
        EXPECT_EQ(app.text(IDC_STATUS_LINE), "Find Next:  F3");
        // Any task command hides the bar again.
        showIeReport();
        EXPECT_FALSE(app.visible(IDC_SEARCH_FIELD));
    }
}

TEST_F(Search, F3WorksOnTheWelcomeTextWithoutATask) {
    typePattern("");
    app.postKey(VK_F3); // empty pattern: an empty selection one after the start
    EXPECT_TRUE(
        automation::waitUntil([&] { return selection() == std::make_pair(DWORD(1), DWORD(1)); }, 3000));
}

TEST_F(Search, CloseWhileIdleEndsTheProcessWithExitCodeZero) {
    app.press(IDC_CLOSE);
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "Shutdown .. please Wait");
    const DWORD start = GetTickCount();
    EXPECT_EQ(app.waitForExit(5000), 0u);
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 4000u) << "ends on the first exit-step tick, about a second after Close";
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(Search, CloseBoxRunsTheCloseSequence) {
    PostMessageA(app.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.waitForExit(5000), 0u);
}

} // namespace
