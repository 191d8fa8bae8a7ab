// The main window as a user meets it: controls, commands, the busy gate, Escape.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using automation::App;

const char* const kWelcome =
    "Korvexer.exe -> Displays your Windows environment and variables.\r\n\r\n\r\nVersion: 1.1.00\r\n\r\n\r\n";

struct Window : ::testing::Test {
    TempDir work;
    App app{work.path()};
    // Idle once a command is accepted again: the Internet Explorer command
    // shows its header only then, and its worker ends at once.
    bool waitUntilIdle() {
        return automation::waitUntil(
            [&] {
                app.press(IDC_IE);
                return app.text(IDC_REPORT_VIEW).rfind("Getting IE information", 0) == 0 &&
                       automation::waitUntil([&] { return app.text(IDC_STATUS_LINE) == " "; }, 5000);
            },
            60000);
    }
    void SetUp() override {
        ASSERT_TRUE(app.started());
        ASSERT_NE(app.waitForWindow(), nullptr);
        // The first tick shows the welcome text; commands come after it.
        ASSERT_TRUE(automation::waitUntil([&] { return app.text(IDC_REPORT_VIEW) == kWelcome; }, 10000))
            << app.text(IDC_REPORT_VIEW);
    }
};

TEST_F(Window, ShowsItsSeventeenControls) {
    struct Control {
        int id;
        const char* text;
        bool visible;
    } controls[] = {
        {IDC_REPORT_VIEW, kWelcome, true}, // the welcome text, exactly
        {IDC_STATUS_LINE, " ", true},
        {IDC_SEARCH_FIELD, "", false},
        {IDC_SEARCH, "Search", false},
        {IDC_CLOSE, "Close", true},
        {IDC_COMMON_ENV, "Get common Windows Environment", true},
        {IDC_POLICIES, "Policies", true},
        {IDC_SERVICES, "Services", true},
        {IDC_APP_PATHS, "App Paths", true},
        {IDC_IE, "Internet Explorer", true},
        {IDC_CLEAR, "Clear", true},
        {IDC_FIND, "Find", true},
        {IDC_HKCR, "HKEY_CLASSES_ROOT", true},
        {IDC_HKCU, "HKEY_CURRENT_USER", true},
        {IDC_HKLM, "HKEY_LOCAL_MACHINE", true},
        {IDC_HKU, "HKEY_USERS", true},
        {IDC_HKCC, "HKEY_CURRENT_CONFIG", true},
    };
    for (const auto& c : controls) {
        EXPECT_EQ(app.text(c.id), c.text) << c.id;
        EXPECT_EQ(app.visible(c.id), c.visible) << c.id;
    }
    char caption[256] = {};
    GetWindowTextA(app.window(), caption, sizeof caption);
    EXPECT_EQ(std::string(caption).rfind("Korvexer -> ", 0), 0u);
    const LONG_PTR style = GetWindowLongPtrA(app.control(IDC_REPORT_VIEW), GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
}

TEST_F(Window, EachTaskCommandShowsItsHeaderAndStatus) {
    struct Command {
        int id;
        const char* header;
        const char* status;
    } commands[] = {
        {IDC_POLICIES, "Getting policies ...........\r\n", "Working .. please Wait"},
        {IDC_HKCR, "Getting HKEY_CLASSES_ROOT Registry:\r\n", "Working .. please Wait"},
        {IDC_HKCU, "Getting HKEY_CURRENT_USER Registry:\r\n", "Working .. please Wait"},
        {IDC_HKLM, "Getting HKEY_LOCAL_MACHINE Registry:\r\n", "Working .. please Wait"},
        {IDC_HKU, "Getting HKEY_USERS Registry: \r\n", "Working .. please Wait"},
        {IDC_HKCC, "Getting HKEY_CURRENT_CONFIG Registry: \r\n", "Working .. please Wait"},
        {IDC_APP_PATHS, "Getting App Paths ...........\r\n", "Working .. please Wait"},
    };
    for (const auto& c : commands) {
        ASSERT_TRUE(waitUntilIdle()) << "previous task never ended: " << app.text(IDC_STATUS_LINE);
        app.holdTicks(true);
        app.press(c.id);
        const std::string view = app.text(IDC_REPORT_VIEW);
        EXPECT_EQ(view.substr(0, std::string(c.header).size()), c.header) << c.id;
        EXPECT_EQ(app.text(IDC_STATUS_LINE), c.status) << c.id;
        // Busy while the request waits for its tick: a second command changes nothing.
        app.press(IDC_SERVICES);
        EXPECT_EQ(app.text(IDC_REPORT_VIEW).substr(0, std::string(c.header).size()), c.header) << c.id;
        EXPECT_EQ(app.text(IDC_STATUS_LINE), c.status) << c.id;
        app.holdTicks(false);
        app.press(IDC_CLEAR); // abandons the task: a whole hive dump is not needed here
    }
}

TEST_F(Window, WorkerCommandsShowTheirHeaders) {
    struct Command {
        int id;
        const char* header;
    } commands[] = {
        {IDC_SERVICES, "Getting Services ...........\r\n"},
        {IDC_IE, "Getting IE information ...........\r\n"},
    };
    for (const auto& c : commands) {
        ASSERT_TRUE(automation::waitUntil([&] { return app.text(IDC_STATUS_LINE) == " "; }, 60000));
        app.press(c.id);
        EXPECT_EQ(app.text(IDC_REPORT_VIEW).substr(0, std::string(c.header).size()), c.header);
        // The worker ends with a blank status line.
        EXPECT_TRUE(automation::waitUntil([&] { return app.text(IDC_STATUS_LINE) == " "; }, 60000))
            << app.text(IDC_STATUS_LINE);
    }
}

TEST_F(Window, CommonEnvironmentLeavesTheViewForTheDriver) {
    app.postPress(IDC_COMMON_ENV);
    app.postPress(IDC_POLICIES); // queued behind it: must be refused
    EXPECT_TRUE(automation::waitUntil(
        [&] { return app.text(IDC_REPORT_VIEW).find("OperatingSystem:") != std::string::npos; }, 180000))
        << app.text(IDC_REPORT_VIEW);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW).find("Getting policies"), std::string::npos);
}

TEST_F(Window, CommonEnvironmentShowsHeadingThenReportAndLeavesNoWorkFile) {
    app.holdTicks(true);
    app.press(IDC_COMMON_ENV);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), kWelcome) << "the view waits for the task driver";
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "Working .. please Wait");
    app.holdTicks(false);
    const std::string heading = "\r\n\r\nGetting Common Windows Environment .. \r\n\r\n";
    bool sawHeading = false;
    std::string view;
    automation::waitUntil(
        [&] {
            view = app.text(IDC_REPORT_VIEW);
            if (view == heading) sawHeading = true;
            return view.find("OperatingSystem:") != std::string::npos;
        },
        180000);
    EXPECT_TRUE(sawHeading);
    const std::string sep(75, '=');
    // The report opens with who and where; the operating system follows the accounts.
    EXPECT_EQ(view.rfind("User / Windows Environment:\r\r\nComputer name:      ", 0), 0u) << view;
    EXPECT_NE(view.find("\r\r\n" + sep + "\r\r\nOperatingSystem:\r\r\n\r\r\nOS: Windows "), std::string::npos)
        << view;
    EXPECT_NE(view.find("Platform type: NT "), std::string::npos) << view;
    EXPECT_NE(view.find("Windows Product id:         "), std::string::npos) << view;
    // The operating-system WMI run follows the section (Wine reports a version from XP on: the long block).
    EXPECT_NE(view.find("Caption: "), std::string::npos) << view;
    EXPECT_NE(view.find("BuildNumber: "), std::string::npos) << view;
    EXPECT_NE(view.find(sep + "\r\r\r\nKorvexer.exe -> "), std::string::npos) << view;
    EXPECT_TRUE(automation::waitUntil([&] { return app.text(IDC_STATUS_LINE) == " "; }, 10000))
        << "status \"" << app.text(IDC_STATUS_LINE) << "\"";
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(Window, EscapeEndsTheDialogAndTheProcess) {
    app.postKey(VK_ESCAPE);
    EXPECT_EQ(app.waitForExit(10000), 0u);
}

} // namespace
