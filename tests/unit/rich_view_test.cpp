// The rich edit view over a real control of each library: readers see the
// report byte for byte with its own offsets, the control breaks lines exactly
// where the report does, and the choice of view follows the system's family.
#include "app/kept_report.h"
#include "app/rich_view.h"
#include "app/view_choice.h"
#include "report/work_file.h"
#include "support/scoped_temp.h"
#include "support/temp_dir.h"

#include <richedit.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kViewId = 1000;

// A parent window holding an edit control as the dialog's view is made.
struct ViewWindow {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL,
                                10, 10, 400, 300, parent, reinterpret_cast<HMENU>(kViewId),
                                GetModuleHandleA(nullptr), nullptr);
    HFONT font =
        CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH, "Courier New");
    ViewWindow() { SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }
    ~ViewWindow() {
        DestroyWindow(parent);
        DeleteObject(font);
    }
    HWND view() const { return GetDlgItem(parent, kViewId); }
};

struct Library {
    const char* dll;
    const char* className;
};
const Library kLibraries[] = {{"riched20.dll", "RichEdit20A"}, {"riched32.dll", "RICHEDIT"}};

// The text the control itself holds, as it stores it.
std::string controlText(HWND control, LONG from, LONG to) {
    std::string out(static_cast<size_t>(to - from) + 1, '\0');
    TEXTRANGEA range{{from, to}, out.data()};
    const LRESULT n = SendMessageA(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    out.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return out;
}

class RichReportViewTest : public ::testing::TestWithParam<Library> {
  protected:
    void SetUp() override {
        ASSERT_NE(LoadLibraryA(GetParam().dll), nullptr);
        ASSERT_NE(window.edit, nullptr);
        view.attach(window.edit);
        ASSERT_TRUE(view.rich());
    }
    ViewWindow window;
    RichReportView view{GetParam().className};
};

TEST_P(RichReportViewTest, TakesTheEditControlsPlace) {
    char name[64] = {};
    GetClassNameA(window.view(), name, sizeof name);
    EXPECT_STRCASEEQ(name, GetParam().className);
    EXPECT_EQ(window.view(), view.handle());
    EXPECT_FALSE(IsWindow(window.edit));
    RECT r{};
    GetWindowRect(window.view(), &r);
    MapWindowPoints(nullptr, window.parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right - r.left, 400);
    const LONG_PTR style = GetWindowLongPtrA(window.view(), GWL_STYLE);
    EXPECT_TRUE((style & ES_READONLY) && (style & ES_MULTILINE));
}

// A whole report as the loads give it, then appends as the report writer
// gives them (line ends cut between pieces too): readers get the report, the
// control one line per report line, and a selection lands on the same text.
TEST_P(RichReportViewTest, ReadersSeeTheReportAndTheControlItsLines) {
    std::string report = "HKEY_CURRENT_USER Registry:\r\n\r\n";
    for (int i = 0; i < 3000; ++i)
        report += "\t Value" + std::to_string(i) + ": text of the value\r\r\n";
    view.setWholeText(report);
    const std::vector<std::string> pieces = {"App line\r", "\nsplit line end\r\r", "\nlone\rreturn\r\n",
                                             "end"};
    for (const std::string& piece : pieces) {
        report += piece;
        EXPECT_EQ(view.append(piece), report.size());
    }
    EXPECT_TRUE(view.text() == report) << view.text().size() << " of " << report.size();
    EXPECT_EQ(SendMessageA(window.view(), WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(report.size()));
    // One line per report line; the lone carriage return breaks none.
    EXPECT_EQ(SendMessageA(window.view(), EM_GETLINECOUNT, 0, 0), 2 + 3000 + 3 + 1);

    const std::string word = "Value2999: text";
    const size_t at = report.find(word);
    view.select(static_cast<DWORD>(at), static_cast<DWORD>(at + word.size()));
    DWORD start = 0, end = 0;
    view.selection(start, end);
    EXPECT_EQ(start, at);
    EXPECT_EQ(end, at + word.size());
    CHARRANGE shown{};
    SendMessageA(window.view(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(controlText(window.view(), shown.cpMin, shown.cpMax), word);
    // The packed answer holds 16 bits, as the control's own does.
    EXPECT_EQ(SendMessageA(window.view(), EM_GETSEL, 0, 0), -1);
}

// A new whole text goes into a new control of the same id (emptying a long
// one is slow in some versions), with the scroll bars it needs; the old text is gone.
TEST_P(RichReportViewTest, AWholeTextAfterAnotherReplacesIt) {
    view.setText("Getting HKEY_CURRENT_USER Registry:\r\n");
    std::string longReport;
    for (int i = 0; i < 2000; ++i)
        longReport += std::string(300, 'x') + "\r\r\n";
    view.setWholeText(longReport);
    const LONG_PTR style = GetWindowLongPtrA(window.view(), GWL_STYLE);
    EXPECT_TRUE((style & WS_VSCROLL) && (style & WS_HSCROLL)) << std::hex << style;
    view.append("appended\r\n");
    HWND before = window.view();
    view.setText("Getting Services ...........\r\n");
    EXPECT_EQ(view.text(), "Getting Services ...........\r\n");
    EXPECT_NE(window.view(), before);
    EXPECT_EQ(window.view(), view.handle());
    EXPECT_EQ(GetDlgCtrlID(view.handle()), kViewId);
    view.setText("");
    EXPECT_EQ(view.text(), "");
    EXPECT_EQ(view.append("next\r\n"), 6u);
    EXPECT_EQ(view.text(), "next\r\n");
}

TEST_P(RichReportViewTest, AppendKeepsTheSelectionAndTheFirstVisibleLine) {
    view.setText("first line\r\r\nsecond line\r\n");
    view.select(13, 19);
    for (int i = 0; i < 300; ++i)
        view.append("another line of the report\r\r\n");
    view.flush();
    DWORD start = 0, end = 0;
    view.selection(start, end);
    EXPECT_EQ(start, 13u);
    EXPECT_EQ(end, 19u);
    EXPECT_EQ(SendMessageA(window.view(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

// Every control after the first keeps the edit control's font (a rich edit
// control does not tell its own), and Ctrl+C copies the report's text.
TEST_P(RichReportViewTest, LaterControlsKeepTheFontAndCopyTheSelection) {
    view.setWholeText("first report\r\r\nsecond line\r\r\n");
    view.setWholeText("next report\r\r\nits second line\r\r\n");
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(window.view(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, "Courier New");
    // Black on white, as the edit control shows the report.
    EXPECT_EQ(format.dwEffects & CFE_AUTOCOLOR, 0u);
    EXPECT_EQ(format.crTextColor, RGB(0, 0, 0));

    view.select(14, 29);
    SendMessageA(window.view(), WM_COPY, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    const std::string copied = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data != nullptr) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, "its second line");
}

// A control short of memory takes less than the report: here one that says
// it holds at most 3,000 bytes.
class ShortOfMemory : public RichReportView {
  public:
    using RichReportView::RichReportView;

  protected:
    size_t heldByControl() const override { return std::min<size_t>(RichReportView::heldByControl(), 3000); }
};

// The report is kept whole in a file, and readers and the control alike hold
// the notice and the part that fits.
TEST_P(RichReportViewTest, AReportTheControlCannotTakeIsKeptWhole) {
    TempDir dir;
    ScopedTemp temp(dir.path());
    ViewWindow small;
    ShortOfMemory limited(GetParam().className);
    limited.attach(small.edit);
    std::string report;
    for (int i = 0; i < 400; ++i)
        report += "line " + std::to_string(i) + " of a report too long\r\r\n";
    limited.setWholeText(report);
    const std::string kept = limited.keptPath();
    ASSERT_FALSE(kept.empty());
    std::string keptText;
    EXPECT_TRUE(readWholeFile(kept, keptText));
    EXPECT_TRUE(keptText == report);
    const std::string shown = limited.text();
    EXPECT_EQ(shown.rfind("This report is " + std::to_string(report.size()) +
                              " bytes long; the text box could take only ",
                          0),
              0u)
        << shown.substr(0, 200);
    EXPECT_EQ(report.compare(0, shown.size() - shown.find('\n') - 1, shown.substr(shown.find('\n') + 1)), 0);
    EXPECT_EQ(SendMessageA(small.view(), EM_GETLINECOUNT, 0, 0),
              static_cast<LRESULT>(std::count(shown.begin(), shown.end(), '\n') + 1));
    // The report goes on into the file; the notice counts it.
    limited.append("one more line\r\n");
    limited.flush();
    EXPECT_TRUE(readWholeFile(kept, keptText));
    EXPECT_TRUE(keptText == report + "one more line\r\n");
    EXPECT_EQ(limited.text().rfind("This report is " + std::to_string(keptText.size()) + " bytes long", 0),
              0u);
}

INSTANTIATE_TEST_SUITE_P(Libraries, RichReportViewTest, ::testing::ValuesIn(kLibraries),
                         [](const ::testing::TestParamInfo<Library>& info) {
                             return std::string(info.param.className);
                         });

// A library that loads but makes no control: the edit control stays, and a
// report longer than its 64 KB is kept whole as where no library loads.
TEST(RichReportView, WithoutItsControlTheEditControlKeepsWhatDoesNotFit) {
    TempDir dir;
    ScopedTemp temp(dir.path());
    ViewWindow window;
    RichReportView view("NoSuchRichEditClass");
    view.attach(window.edit);
    EXPECT_FALSE(view.rich());
    EXPECT_EQ(window.view(), window.edit);
    std::string report;
    for (int i = 0; i < 3000; ++i)
        report += "line " + std::to_string(i) + " of a report longer than 64 KB\r\r\n";
    view.setWholeText(report);
    ASSERT_FALSE(view.keptPath().empty());
    EXPECT_EQ(view.text(), keptReportView(report, report.size(), view.keptPath()));
}

TEST(ViewChoice, FollowsTheFamilyAndTheLibrariesThatLoad) {
    struct Row {
        bool ntFamily;
        std::vector<std::string> loadable;
        ViewKind expected;
    };
    const std::vector<Row> rows = {
        {true, {"riched20.dll", "riched32.dll"}, ViewKind::Edit},
        {false, {"riched20.dll", "riched32.dll"}, ViewKind::RichEdit20},
        {false, {"riched32.dll"}, ViewKind::RichEdit10},
        {false, {}, ViewKind::Capped},
    };
    for (const Row& row : rows) {
        std::vector<std::string> asked;
        const ViewKind kind = chooseView(row.ntFamily, [&](const char* library) {
            asked.push_back(library);
            for (const std::string& name : row.loadable)
                if (name == library) return true;
            return false;
        });
        EXPECT_EQ(kind, row.expected) << row.ntFamily << " " << row.loadable.size();
        // The NT family loads no library it does not use.
        if (row.ntFamily) {
            EXPECT_TRUE(asked.empty());
        }
    }
}

} // namespace
