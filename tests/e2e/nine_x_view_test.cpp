// The report view by Windows family. On Windows 95, 98 and Me the edit
// control holds 64 KB, so the view is a rich edit control there and a long
// report shows whole; where no rich edit library loads, the edit control
// shows the report's beginning under a notice that names the file keeping
// the whole. The NT family keeps the edit control.
//
// Run by version_emulation.sh in a Wine prefix of its own, each test under
// the Windows version it checks for first (the suite's prefix claims to be
// Windows 7).
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <future>
#include <ios>
#include <memory>
#include <string>

namespace {

using automation::App;
using automation::CommandRun;
using automation::runCommandLine;
using automation::waitUntil;

struct Windows {
    const char* name;
    DWORD platform;
    DWORD major;
    DWORD minor;
    bool richView;
};

constexpr Windows kWindows[] = {
    {"Windows 98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, true},
    {"Windows Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, true},
    {"Windows XP", VER_PLATFORM_WIN32_NT, 5, 1, false},
    {"Windows Vista", VER_PLATFORM_WIN32_NT, 6, 0, false},
};

// The row of the Windows this prefix claims to be, or null.
const Windows* thisWindows() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return nullptr;
    for (const Windows& w : kWindows)
        if (w.platform == version.dwPlatformId && w.major == version.dwMajorVersion &&
            w.minor == version.dwMinorVersion)
            return &w;
    return nullptr;
}

bool isRichEditClass(std::string name) {
    for (char& c : name)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return name.find("richedit") != std::string::npos;
}

// Where two texts part, with a little of each, for a failure message (the
// texts themselves run to megabytes).
std::string firstDifference(const std::string& a, const std::string& b) {
    const auto parted = std::mismatch(
        a.begin(), a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())), b.begin());
    const size_t at = static_cast<size_t>(parted.first - a.begin());
    if (at == a.size() && at == b.size()) return "the same";
    const size_t from = at < 80 ? 0 : at - 80;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at " + std::to_string(at) + ":\n[" + a.substr(from, 200) + "]\n[" +
           b.substr(from, 200) + "]";
}

// One report written from the command line.
struct Written {
    DWORD exitCode = STILL_ACTIVE;
    std::string err;
    std::string text;
};

// `kind` into a file in `dir`, with `dir` as the work folder: a run beside a
// window keeps to a folder of its own, so the two never choose the same work
// file name.
Written writeReport(const std::string& kind, const std::string& dir, int timeoutMs) {
    const std::string file = dir + kind + ".txt";
    const CommandRun run = runCommandLine("/report " + kind + " \"" + file + "\"", dir, dir, timeoutMs);
    return {run.exitCode, run.err, readFileBytes(file)};
}

struct ViewOfThisWindows : ::testing::Test {
    TempDir work;
    const Windows* windows = thisWindows();
    void SetUp() override {
        ASSERT_NE(windows, nullptr) << "run under Windows 98, Me, XP or Vista";
        // The program chooses its view by this bit of GetVersion.
        ASSERT_EQ((GetVersion() & 0x80000000u) != 0, windows->platform == VER_PLATFORM_WIN32_WINDOWS)
            << windows->name;
    }
};

TEST_F(ViewOfThisWindows, HasTheControlOfItsFamily) {
    App app(work.path());
    ASSERT_TRUE(automation::readyForCommands(app));
    const std::string name = app.className(IDC_REPORT_VIEW);
    if (windows->richView)
        EXPECT_TRUE(isRichEditClass(name)) << windows->name << ": " << name;
    else
        EXPECT_EQ(name, "Edit") << windows->name;
    EXPECT_NE(GetWindowLongA(app.control(IDC_REPORT_VIEW), GWL_STYLE) & ES_READONLY, 0) << windows->name;
}

// A key whose dump runs past a megabyte, planted once for the suite, and the
// current user's hive written from the command line beside the first test's
// window (on this Windows a dump pauses after each top-level key: side by side
// the two runs take the time of one).
constexpr int kFillers = 3000;
constexpr char kNeedle[] = "KvNineXNeedle";

struct LongReportOnNineX : ::testing::Test {
    static TestKey* planted;
    static TempDir* reportDir;
    static std::shared_future<Written>* whole;

    static void SetUpTestSuite() {
        planted = new TestKey;
        for (int i = 0; i < kFillers; ++i) {
            char name[32];
            snprintf(name, sizeof name, "Filler%04d", i);
            std::string value = "filler value " + std::to_string(i) + " ";
            value.append(380, static_cast<char>('a' + i % 26));
            // The needle twice, both far beyond 64 KB: as a value's name and
            // inside the last filler's text.
            if (i == kFillers - 1) value += " kvninexneedle";
            planted->setString("Long", name, value);
        }
        planted->setString("Long", kNeedle, "the needle's own value");
        // The single-byte registry calls of this family: letters above 127,
        // a number and bytes, as the hive dump shows them.
        planted->setString("Planted", "Caf\xe9", "Caf\xe9 cr\xe8me");
        DWORD answer = 42;
        planted->setBytes("Planted", "Answer", REG_DWORD, &answer, 4);
        const unsigned char bytes[] = {0xde, 0xad, 0xbe, 0xef};
        planted->setBytes("Planted", "Blob", REG_BINARY, bytes, 4);
        reportDir = new TempDir;
        whole = new std::shared_future<Written>(
            std::async(std::launch::async, writeReport, "hkcu", reportDir->path(), 240000).share());
    }
    static void TearDownTestSuite() {
        whole->wait();
        delete whole;
        delete reportDir;
        delete planted;
    }

    TempDir work;
    void SetUp() override {
        const Windows* windows = thisWindows();
        ASSERT_TRUE(windows != nullptr && windows->platform == VER_PLATFORM_WIN32_WINDOWS)
            << "run under Windows 98 or Me";
    }
    // The command line's report of the hive, the text the window shows whole.
    static const std::string& report() {
        const Written& w = whole->get();
        EXPECT_EQ(w.exitCode, 0u) << w.err;
        EXPECT_EQ(w.text.rfind("HKEY_CURRENT_USER Registry:\r\n\r\n", 0), 0u) << w.text.substr(0, 200);
        return w.text;
    }
    static bool selectionIs(const App& app, DWORD start) {
        DWORD s = 0, e = 0;
        return app.fullSelection(s, e) && s == start && e == start + sizeof kNeedle - 1;
    }
    static std::string shownSelection(const App& app) {
        DWORD s = 0, e = 0;
        if (!app.fullSelection(s, e)) return "no selection read";
        return "selection " + std::to_string(s) + " to " + std::to_string(e);
    }
};

TestKey* LongReportOnNineX::planted = nullptr;
TempDir* LongReportOnNineX::reportDir = nullptr;
std::shared_future<Written>* LongReportOnNineX::whole = nullptr;

TEST_F(LongReportOnNineX, RichViewHoldsItWholeAndFindsPastSixtyFourKilobytes) {
    App app(work.path());
    ASSERT_TRUE(automation::readyForCommands(app));
    EXPECT_TRUE(isRichEditClass(app.className(IDC_REPORT_VIEW))) << app.className(IDC_REPORT_VIEW);

    app.press(IDC_HKCU);
    ASSERT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_USER", 180000))
        << app.text(IDC_REPORT_VIEW).substr(0, 300);
    const std::string view = app.text(IDC_REPORT_VIEW);
    const std::string& file = report();
    ASSERT_GT(file.size(), 1024u * 1024u);
    EXPECT_EQ(view.size(), file.size());
    EXPECT_TRUE(view == file) << firstDifference(view, file);
    const std::string keyLine = "   Key: " + planted->path() + "\\Planted";
    ASSERT_NE(view.find(keyLine), std::string::npos);
    const std::string block = view.substr(view.find(keyLine), 600);
    EXPECT_NE(block.find("\t Answer: 0000002a"), std::string::npos) << block;
    EXPECT_NE(block.find("\t Caf\xe9: Caf\xe9 cr\xe8me\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\t Blob: \r\r\n\t de ad be ef "), std::string::npos) << block;
    // The control itself holds every line (readers are answered from the
    // report's text, so this is where a control that took less would show).
    DWORD_PTR lines = 0;
    SendMessageTimeoutA(app.control(IDC_REPORT_VIEW), EM_GETLINECOUNT, 0, 0, SMTO_NORMAL, 10000, &lines);
    EXPECT_EQ(lines, static_cast<DWORD_PTR>(std::count(file.begin(), file.end(), '\n') + 1));
    // Both scroll bars, as the edit control has them. A rich edit control
    // shows each only while its text needs it; this one needs both.
    const LONG style = GetWindowLongA(app.control(IDC_REPORT_VIEW), GWL_STYLE);
    EXPECT_EQ(style & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL | WS_HSCROLL) << "style " << std::hex << style;

    const std::vector<DWORD> at = automation::matchOffsets(view, kNeedle);
    ASSERT_EQ(at.size(), 2u);
    ASSERT_GT(at[0], 0xFFFFu) << "the match must lie beyond what 16 bits can tell";
    app.press(IDC_FIND);
    ASSERT_TRUE(app.visible(IDC_SEARCH_FIELD));
    app.setText(IDC_SEARCH_FIELD, "KVNINEXNEEDLE");
    app.press(IDC_SEARCH);
    EXPECT_TRUE(waitUntil([&] { return selectionIs(app, at[0]); }, 20000))
        << "first match at " << at[0] << ", " << shownSelection(app);
    // F3 to the second match, and past it round to the first.
    for (const DWORD want : {at[1], at[0]}) {
        app.postKey(VK_F3);
        EXPECT_TRUE(waitUntil([&] { return selectionIs(app, want); }, 20000))
            << "match at " << want << ", " << shownSelection(app);
    }

    app.press(IDC_CLEAR);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    app.postPress(IDC_CLOSE);
    EXPECT_EQ(app.waitForExit(30000), 0u);
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

// The file the notice names: "<work folder>Korvexer_whole_report.", six
// digits and an attempt index of one to three, ".txt".
bool isKeptFileName(const std::string& path, const std::string& workFolder) {
    const std::string stem = workFolder + "Korvexer_whole_report.";
    if (path.rfind(stem, 0) != 0 || path.size() < stem.size() + 4) return false;
    if (path.compare(path.size() - 4, 4, ".txt") != 0) return false;
    const std::string digits = path.substr(stem.size(), path.size() - 4 - stem.size());
    return digits.size() >= 7 && digits.size() <= 9 &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

TEST_F(LongReportOnNineX, WithoutRichEditTheBeginningIsShownAndTheWholeKept) {
    // Wine's loader takes its overrides from the environment the test
    // program was started with (not from a block handed to CreateProcess):
    // the script starts it with both rich edit libraries switched off.
    App app(work.path());
    ASSERT_TRUE(automation::readyForCommands(app));
    char overrides[1024] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    ASSERT_EQ(app.className(IDC_REPORT_VIEW), "Edit")
        << "a rich edit library loaded; WINEDLLOVERRIDES=" << overrides << " (riched20,riched32=d wanted)";

    app.press(IDC_HKCU);
    std::string view;
    ASSERT_TRUE(waitUntil(
        [&] {
            view = app.text(IDC_REPORT_VIEW);
            return view.rfind("Getting HKEY_CURRENT_USER", 0) != 0 && app.text(IDC_STATUS_LINE) == " ";
        },
        180000))
        << view.substr(0, 300);
    const std::string& file = report();
    ASSERT_GT(file.size(), 0xFFFFu);

    const size_t noticeEnd = view.find("\r\n");
    ASSERT_NE(noticeEnd, std::string::npos) << view.substr(0, 300);
    const std::string notice = view.substr(0, noticeEnd);
    const std::string opening =
        "This report is " + std::to_string(file.size()) +
        " bytes long; the text box of this Windows holds 64 KB, so only its beginning is "
        "shown. The whole report is kept in ";
    ASSERT_EQ(notice.substr(0, opening.size()), opening);
    const std::string kept = notice.substr(opening.size());
    EXPECT_TRUE(isKeptFileName(kept, work.path())) << kept;
    const std::string keptText = readFileBytes(kept);
    EXPECT_EQ(keptText.size(), file.size());
    EXPECT_TRUE(keptText == file) << firstDifference(keptText, file);

    // Below the notice the report's beginning, cut after a whole line, and as
    // many whole lines as fit.
    const std::string shown = view.substr(noticeEnd + 2);
    EXPECT_LE(view.size(), 65535u);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(file.compare(0, shown.size(), shown), 0)
        << firstDifference(shown, file.substr(0, shown.size()));
    EXPECT_EQ(shown.back(), '\n');
    const size_t nextLineEnd = file.find('\n', shown.size());
    ASSERT_NE(nextLineEnd, std::string::npos);
    EXPECT_GT(noticeEnd + 2 + nextLineEnd + 1, 65535u) << "another whole line would have fitted";

    // The kept copy is the user's: no work file, and it outlives the program.
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
    app.postPress(IDC_CLOSE);
    EXPECT_EQ(app.waitForExit(30000), 0u);
    EXPECT_TRUE(fileExists(kept)) << kept;
}

} // namespace
