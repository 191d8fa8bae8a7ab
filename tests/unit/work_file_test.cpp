#include "report/work_directory.h"
#include "report/work_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

TEST(WorkFileName, FormatsDirectoryNumberAndIndex) {
    int next = 42;
    auto random = [&next] { return next++; };
    const std::string name = chooseWorkFileName(workfile::kReport, "C:\\T\\", random, [](const std::string&) { return false; });
    EXPECT_EQ(name, "C:\\T\\Korvexer_work_file.0000420.txt");
}

TEST(WorkFileName, SkipsTakenNamesAndFallsBackToTheLast) {
    int calls = 0;
    auto random = [] { return 7; };
    std::set<std::string> taken = {"D\\korvexDlg32_work_file.0000070.bat", "D\\korvexDlg32_work_file.0000071.bat"};
    auto exists = [&](const std::string& p) {
        ++calls;
        return taken.count(p) > 0;
    };
    EXPECT_EQ(chooseWorkFileName(workfile::kRunnerBatch, "D\\", random, exists), "D\\korvexDlg32_work_file.0000072.bat");
    EXPECT_EQ(calls, 3);

    calls = 0;
    auto all = [&](const std::string&) {
        ++calls;
        return true;
    };
    EXPECT_EQ(chooseWorkFileName(workfile::kExchange, "D\\", random, all), "D\\korvexDlg32_temp_file.000007999.txt");
    EXPECT_EQ(calls, 1000);
}

TEST(WorkFileName, RealNameIsInTheWorkDirectoryAndFree) {
    TempDir dir;
    char saved[32768] = {};
    const DWORD had = GetEnvironmentVariableA("TEMP", saved, sizeof saved);
    SetEnvironmentVariableA("TEMP", dir.path().c_str());
    const std::string first = makeWorkFileName(workfile::kReport);
    EXPECT_EQ(first.rfind(dir.path() + "Korvexer_work_file.", 0), 0u) << first;
    EXPECT_FALSE(fileExists(first));
    // With the first candidate taken, a choice in the same second moves on.
    writeFileBytes(first, "x");
    const std::string second = makeWorkFileName(workfile::kReport);
    EXPECT_NE(second, first);
    EXPECT_FALSE(fileExists(second));
    SetEnvironmentVariableA("TEMP", had ? saved : nullptr);
}

// A new work file in `dir`, held open without delete sharing as a script
// host holds its script.
HANDLE heldWorkFile(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    writeFileBytes(path, "WScript.Echo 1\r\n");
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A halted child's files: held a moment longer than the halt itself.
TEST(WorkFileRemoval, WaitsForAHolderThatLetsGo) {
    TempDir dir;
    const std::string path = dir.file("korvexDlg32_work_file.0000010.vbs");
    HANDLE held = heldWorkFile(dir, "korvexDlg32_work_file.0000010.vbs");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_FALSE(DeleteFileA(path.c_str())) << "the holder must block a plain delete for this test to mean anything";
    std::thread letGo([held] {
        Sleep(300);
        CloseHandle(held);
    });
    const bool removed = removeWorkFile(path, 10000);
    letGo.join();
    EXPECT_TRUE(removed);
    EXPECT_FALSE(fileExists(path));
}

TEST(WorkFileRemoval, GivesUpOnAHolderThatStaysAndCountsAMissingFileAsGone) {
    TempDir dir;
    const std::string path = dir.file("korvexDlg32_work_file.0000020.txt");
    HANDLE held = heldWorkFile(dir, "korvexDlg32_work_file.0000020.txt");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(removeWorkFile(path, 200));
    EXPECT_TRUE(fileExists(path));
    CloseHandle(held);
    EXPECT_TRUE(removeWorkFile(path, 0));
    EXPECT_FALSE(fileExists(path));
    EXPECT_TRUE(removeWorkFile(path, 0));
    EXPECT_TRUE(removeWorkFile(dir.file("no such folder\\x.txt"), 0));
}

// On the NT family "access denied" is no holder letting go: a read-only
// file is refused at once, however much patience the caller brings.
TEST(WorkFileRemoval, ARefusalThatWaitingCannotMendEndsAtOnce) {
    TempDir dir;
    const std::string path = dir.file("korvexDlg32_work_file.0000030.txt");
    writeFileBytes(path, "x");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD start = GetTickCount();
    const bool removed = removeWorkFile(path, 60000);
    const DWORD took = GetTickCount() - start;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(removed);
    EXPECT_TRUE(fileExists(path));
    EXPECT_LT(took, 30000u) << "waited for a refusal that does not pass";
}

}  // namespace
