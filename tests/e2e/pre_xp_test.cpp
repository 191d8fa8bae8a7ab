// Hive dumps on a Windows older than XP, where the worker pauses between its
// steps and the finished dump waits about eight seconds before it is loaded;
// and the common report there, without the blocks of newer Windows.
// Run by pre_xp.sh in a Wine prefix that claims to be Windows 2000.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using automation::App;
using automation::waitUntil;

struct PreXp : ::testing::Test {
    TempDir work;
    App app{work.path()};
    void SetUp() override {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        ASSERT_TRUE(GetVersionExA(&version));
        ASSERT_TRUE(version.dwMajorVersion == 5 && version.dwMinorVersion == 0)
            << "not Windows 2000: " << version.dwMajorVersion << "." << version.dwMinorVersion;
        ASSERT_TRUE(automation::readyForCommands(app));
    }
    // The dump is in its last pause: the report file is written and the
    // status line, which the walker kept busy while it printed, is blank.
    bool waitForLastPause() {
        return waitUntil(
            [&] {
                const std::string file = automation::reportWorkFile(work.path());
                return !file.empty() && automation::fileSize(file) > 0 && app.text(IDC_STATUS_LINE) == " ";
            },
            60000);
    }
};

TEST_F(PreXp, ACommandDuringTheWaitForTheLoadChangesNothing) {
    app.press(IDC_HKCC);
    ASSERT_TRUE(waitForLastPause()) << app.text(IDC_STATUS_LINE);
    // The worker is done; the task driver now waits before it loads the file.
    ASSERT_TRUE(waitUntil([&] { return app.text(IDC_STATUS_LINE) == "Working .. please Wait "; }, 10000));
    EXPECT_TRUE(app.pressChangesNothing(IDC_IE)) << app.text(IDC_REPORT_VIEW);
    // The load blanks the status line: still waiting means the press fell into the wait.
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "Working .. please Wait ")
        << "the press came too late to test the wait";
    EXPECT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG", 30000))
        << app.text(IDC_REPORT_VIEW);
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(PreXp, ClearInTheLastPauseLeavesNoResultAndNoMessage) {
    app.press(IDC_HKCC);
    ASSERT_TRUE(waitForLastPause()) << app.text(IDC_STATUS_LINE);
    app.press(IDC_CLEAR);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    // A load would come about eight seconds after the worker's end.
    const App::ShownMessage box = app.waitForMessageBox(12000);
    EXPECT_EQ(box.box, nullptr) << box.title << ": " << box.text;
    App::dismiss(box);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), " ");
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
    // No halt is left over: the next dump runs to its result.
    app.press(IDC_HKCC);
    EXPECT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG", 60000))
        << app.text(IDC_REPORT_VIEW);
}

// Before XP the report leaves out what those Windows do not have: the signed
// drivers and the printer blocks, and the operating system's long form.
TEST_F(PreXp, CommonReportWithoutSignedDriversAndPrinters) {
    app.press(IDC_COMMON_ENV);
    std::string view;
    ASSERT_TRUE(waitUntil(
        [&] {
            view = app.text(IDC_REPORT_VIEW);
            return view.find("Korvexer.exe -> ") != std::string::npos && app.text(IDC_STATUS_LINE) == " ";
        },
        200000))
        << view.substr(0, 2000);
    view.erase(std::remove(view.begin(), view.end(), '\r'), view.end());
    const std::string sep(75, '=');
    for (const char* absent : {"Plug and Play Signed Drivers:", "Printer Connections:", "Printer Drivers:"})
        EXPECT_EQ(view.find(sep + "\n" + absent + "\n"), std::string::npos) << absent;
    // The blocks around them are there, in their order.
    const size_t modem = view.find(sep + "\nModem:\n");
    const size_t pointing = view.find(sep + "\nPointing Device:\n");
    const size_t portable = view.find(sep + "\nPortable Battery:\n");
    const size_t floppy = view.find(sep + "\nFloppy Controller:\n");
    ASSERT_NE(modem, std::string::npos);
    EXPECT_LT(modem, pointing);
    ASSERT_NE(portable, std::string::npos);
    EXPECT_LT(portable, floppy);
    EXPECT_NE(floppy, std::string::npos);
    // The short operating-system block: its own labels, none of the long form's.
    const size_t osType = view.find("\nOS Type: ");
    EXPECT_NE(osType, std::string::npos);
    EXPECT_LT(osType, view.find("\nService Pack: "));
    EXPECT_LT(view.find("\nService Pack: "), view.find("PC Supplement data:"));
    EXPECT_EQ(view.find("\nBootDevice: "), std::string::npos);
    EXPECT_EQ(view.find("Microsoft VBScript"), std::string::npos);
}

} // namespace
