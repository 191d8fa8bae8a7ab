// Hive dumps on a Windows older than XP, where the worker pauses between its
// steps and the finished dump waits about eight seconds before it is loaded.
// Run by pre_xp.sh in a Wine prefix that claims to be Windows 2000.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "Working .. please Wait ") << "the press came too late to test the wait";
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

} // namespace
