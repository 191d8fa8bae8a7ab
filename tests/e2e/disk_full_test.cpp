// The disk fills while a hive dump writes its report: the work directory is a
// small file system of its own (see disk_full.sh), smaller than the dump.
#include "automation.h"
#include "resources/resource.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using automation::App;
using automation::waitUntil;

TEST(DiskFull, HiveDumpEndsWithAMessageAndLeavesNoPartialReportOrFile) {
    const char* folder = std::getenv("KORVEXER_FULL_DISK");
    if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "no small file system given (disk_full.sh)";
    const std::string workDir = folder;

    // Far more text than the file system holds: 40 keys of 60 values of 1,000 characters.
    TestKey planted;
    const std::string text(1000, 'x');
    for (int k = 0; k < 40; ++k)
        for (int v = 0; v < 60; ++v)
            planted.setString("Bulk" + std::to_string(k), ("Value" + std::to_string(v)).c_str(), text);
    ULARGE_INTEGER freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(workDir.c_str(), &freeBytes, nullptr, nullptr));
    ASSERT_LT(freeBytes.QuadPart, 40ull * 60 * 1000) << "the file system is not smaller than the dump";

    App app{workDir};
    ASSERT_TRUE(automation::readyForCommands(app));
    app.postPress(IDC_HKCU);
    const App::ShownMessage box = app.waitForMessageBox(180000);
    ASSERT_NE(box.box, nullptr) << app.text(IDC_REPORT_VIEW).substr(0, 300);
    EXPECT_EQ(box.title, "File Creation Error!");
    EXPECT_NE(box.text.find(workDir), std::string::npos) << box.text;
    // While the message is up, the dump's files are already gone.
    EXPECT_EQ(automation::countWorkFiles(workDir), 0);
    App::dismiss(box);
    EXPECT_TRUE(waitUntil([&] { return app.text(IDC_STATUS_LINE) == " "; }, 10000));
    Sleep(500);
    const std::string view = app.text(IDC_REPORT_VIEW);
    EXPECT_EQ(view.find("Registry:"), std::string::npos)
        << "no part of the dump is shown: " << view.substr(0, 300);
    EXPECT_EQ(view.find("Korvexer.exe -> "), std::string::npos);

    // With the space free again, the next dump completes.
    const bool accepted = waitUntil(
        [&] {
            app.press(IDC_HKCC);
            return app.text(IDC_REPORT_VIEW).rfind("Getting HKEY_CURRENT_CONFIG", 0) == 0 ||
                   automation::hiveResultShown(app, "HKEY_CURRENT_CONFIG");
        },
        20000);
    EXPECT_TRUE(accepted && automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG", 60000));
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(workDir) == 0; }, 15000));
}

} // namespace
