// The report view's append: the text after many appends is exactly the text
// the whole-text rule (read it all, set it all again) would give, beyond the
// edit control's default limit too, and the part the user looks at stays put.
#include "app/edit_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

struct EditWindow {
    HWND hwnd = CreateWindowExA(0, "EDIT", "",
                                WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                                    WS_HSCROLL | ES_READONLY,
                                0, 0, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ~EditWindow() {
        if (hwnd != nullptr) DestroyWindow(hwnd);
    }
};

TEST(EditReportView, AppendsGiveTheWholeTextRuleByteForByte) {
    EditWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    EditReportView view;
    view.attach(window.hwnd);
    view.setText("Getting Services ...........\r\n");

    // Pieces as the report writer hands them over: line ends at either end,
    // the "\r\r\n" of an already expanded line end, an empty piece, and
    // enough of them to pass the control's default limit of 32,767.
    const std::vector<std::string> shapes = {
        "\r\n", "\r\nstarts with a line end",   "ends with a line end\r\n", "\r\r\nwritten twice\r\r\n",
        "",     std::string(498, 'x') + "\r\n", "no line end at all",       "\ttab and 100% percent\r\n"};
    std::string expected = view.text();
    size_t reported = 0;
    for (int round = 0; round < 120; ++round) {
        for (const std::string& piece : shapes) {
            expected += piece;
            reported = view.append(piece);
        }
    }
    ASSERT_GT(expected.size(), 32767u);
    EXPECT_EQ(reported, expected.size());
    const std::string shown = view.text();
    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected)
        << "first difference at "
        << std::mismatch(shown.begin(), shown.end(), expected.begin(), expected.end()).first - shown.begin();
}

TEST(EditReportView, AppendKeepsTheSelectionAndTheFirstVisibleLine) {
    EditWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    EditReportView view;
    view.attach(window.hwnd);
    view.setText("first line\r\nsecond line\r\n");
    view.select(2, 5);
    for (int i = 0; i < 300; ++i)
        view.append("another line of the report\r\n");
    DWORD start = 0, end = 0;
    view.selection(start, end);
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 5u);
    EXPECT_EQ(SendMessageA(window.hwnd, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

struct AppendJob {
    EditReportView* view;
    std::string expected;
};

DWORD WINAPI appendLines(void* p) {
    auto* job = static_cast<AppendJob*>(p);
    for (int i = 0; i < 2000; ++i)
        job->view->append("line " + std::to_string(i) + "\r\n");
    return 0;
}

// As the Services report writes: a worker appends while the window's thread
// pumps messages; every piece arrives, in order.
TEST(EditReportView, AppendsFromAWorkerThreadArriveInOrder) {
    EditWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    EditReportView view;
    view.attach(window.hwnd);
    AppendJob job{&view, {}};
    for (int i = 0; i < 2000; ++i)
        job.expected += "line " + std::to_string(i) + "\r\n";
    HANDLE thread = CreateThread(nullptr, 0, appendLines, &job, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    CloseHandle(thread);
    // The last pieces may still be gathered: reading the text hands them over.
    EXPECT_TRUE(view.text() == job.expected) << view.text().size() << " of " << job.expected.size();
}

} // namespace
