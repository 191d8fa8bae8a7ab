// The hive buttons end to end: a planted key appears in the dump; Clear and
// Close during a dump leave no result and no work file.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

namespace {

using automation::App;

struct HiveDump : ::testing::Test {
    TempDir work;
    TestKey planted;
    App app{work.path()};
    void SetUp() override { ASSERT_TRUE(automation::readyForCommands(app)); }
    std::string waitForResult(const char* header, int timeoutMs = 120000) {
        std::string view;
        automation::waitUntil(
            [&] {
                view = app.text(IDC_REPORT_VIEW);
                return view.rfind(header, 0) == 0 && view.find("Korvexer.exe -> ") != std::string::npos &&
                       app.text(IDC_STATUS_LINE) == " ";
            },
            timeoutMs);
        return view;
    }
};

TEST_F(HiveDump, CurrentUserShowsAPlantedKeyWithItsValues) {
    planted.setString("Planted", "Greeting", "hello\r\nworld");
    DWORD answer = 42;
    planted.setBytes("Planted", "Answer", REG_DWORD, &answer, 4);
    const unsigned char bytes[] = {0xde, 0xad, 0xbe, 0xef};
    planted.setBytes("Planted", "Blob", REG_BINARY, bytes, 4);
    // Letters above 127 in the ANSI code page, named and default.
    planted.setString("Planted", "Caf\xe9", "Caf\xe9 cr\xe8me");
    planted.setString("Planted", "", "d\351faut");

    app.press(IDC_HKCU);
    // While the dump runs every other command is refused.
    app.press(IDC_HKLM);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW).find("HKEY_LOCAL_MACHINE"), std::string::npos);

    const std::string view = waitForResult("HKEY_CURRENT_USER Registry:\r\n\r\n");
    const std::string keyLine = "   Key: " + planted.path() + "\\Planted";
    ASSERT_NE(view.find(keyLine), std::string::npos) << view.substr(0, 2000);
    const std::string block = view.substr(view.find(keyLine), 600);
    EXPECT_NE(block.find("\t Greeting: helloworld"), std::string::npos) << block;
    EXPECT_NE(block.find("\t Answer: 0000002a"), std::string::npos) << block;
    EXPECT_NE(block.find("\t Caf\xe9: Caf\xe9 cr\xe8me\r"), std::string::npos) << block;
    EXPECT_NE(block.find("Unnamed registry key (Default): d\351faut\r"), std::string::npos) << block;
    // Each line end of the work file (CR CR LF) reaches the view as CR CR LF.
    EXPECT_NE(block.find("\t Blob: \r\r\n\t de ad be ef "), std::string::npos) << block;
    EXPECT_NE(view.find("   Key: Software"), std::string::npos);
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0)
        << "report and keys-list files are gone after the load";
}

// Wine's registry code faults when a key's default value is asked for with a
// null name on Perflib\009: the whole local-machine dump used to die there.
TEST_F(HiveDump, LocalMachineCompletesThroughPerflib) {
    app.press(IDC_HKLM);
    std::string view;
    bool stopped = false;
    automation::waitUntil(
        [&] {
            view = app.text(IDC_REPORT_VIEW);
            // A fault ends the program, or (with Wine's debugger attached) leaves its window unanswering.
            if (app.waitForExit(0) != STILL_ACTIVE || view == "<no answer>") return stopped = true;
            return view.rfind("HKEY_LOCAL_MACHINE Registry:\r\n\r\n", 0) == 0 &&
                   view.find("Korvexer.exe -> ") != std::string::npos && app.text(IDC_STATUS_LINE) == " ";
        },
        200000);
    ASSERT_FALSE(stopped) << "the program stopped answering during the dump";
    ASSERT_EQ(view.rfind("HKEY_LOCAL_MACHINE Registry:", 0), 0u) << view.substr(0, 2000);
    const size_t perflib = view.find("\\Windows NT\\CurrentVersion\\Perflib\\009");
    ASSERT_NE(perflib, std::string::npos) << "no Perflib\\009 header in " << view.size() << " characters";
    const size_t lineStart = view.rfind('\n', perflib);
    EXPECT_EQ(view.compare(lineStart + 1, 8, "   Key: "), 0) << view.substr(lineStart + 1, 120);
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(HiveDump, CurrentConfigCompletes) {
    app.press(IDC_HKCC);
    const std::string view = waitForResult("HKEY_CURRENT_CONFIG Registry:\r\n\r\n");
    EXPECT_NE(view.find(std::string(75, '=')), std::string::npos) << view;
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(HiveDump, ClearDuringADumpLeavesNoResultAndNoWorkFile) {
    app.press(IDC_HKLM);
    ASSERT_TRUE(automation::waitUntil([&] { return automation::countWorkFiles(work.path()) > 0; }, 20000));
    app.press(IDC_CLEAR);
    // Clear empties the view, and nothing the stopping worker does writes to it afterwards.
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    // The worker stops at its next halt check and removes its files.
    EXPECT_TRUE(automation::waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 20000));
    Sleep(1500);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    // The next task is accepted again.
    app.press(IDC_HKCC);
    EXPECT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG")) << app.text(IDC_REPORT_VIEW);
}

TEST_F(HiveDump, CloseDuringADumpEndsAndLeavesNoWorkFile) {
    app.press(IDC_HKLM);
    ASSERT_TRUE(automation::waitUntil([&] { return automation::countWorkFiles(work.path()) > 0; }, 20000));
    app.postPress(IDC_CLOSE);
    EXPECT_EQ(app.waitForExit(30000), 0u);
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

} // namespace
