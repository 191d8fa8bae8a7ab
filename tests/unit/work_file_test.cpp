#include "report/work_directory.h"
#include "report/work_file.h"
#include "support/scoped_temp.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

TEST(WorkFileName, FormatsDirectoryNumberAndIndex) {
    int next = 42;
    auto random = [&next] { return next++; };
    const ClaimedName name = chooseWorkFileName(workfile::kReport, "C:\\T\\", random,
                                                [](const std::string&) { return NameClaim::Created; });
    EXPECT_EQ(name.path, "C:\\T\\Korvexer_work_file.0000420.txt");
    EXPECT_TRUE(name.created());
}

TEST(WorkFileName, DrawsAgainForTakenNamesUpToAThousandTimesAndStopsAtARefusal) {
    int calls = 0;
    auto random = [] { return 7; };
    std::set<std::string> taken = {"D\\korvexDlg32_work_file.0000070.bat",
                                   "D\\korvexDlg32_work_file.0000071.bat"};
    auto claim = [&](const std::string& p) {
        ++calls;
        return taken.count(p) > 0 ? NameClaim::Taken : NameClaim::Created;
    };
    const ClaimedName third = chooseWorkFileName(workfile::kRunnerBatch, "D\\", random, claim);
    EXPECT_EQ(third.path, "D\\korvexDlg32_work_file.0000072.bat");
    EXPECT_TRUE(third.created());
    EXPECT_EQ(calls, 3);

    calls = 0;
    auto all = [&](const std::string&) {
        ++calls;
        return NameClaim::Taken;
    };
    const ClaimedName last = chooseWorkFileName(workfile::kExchange, "D\\", random, all);
    EXPECT_EQ(last.path, "D\\korvexDlg32_temp_file.000007999.txt");
    EXPECT_EQ(last.outcome, NameClaim::Taken);
    EXPECT_EQ(calls, 1000);

    calls = 0;
    auto refused = [&](const std::string&) {
        ++calls;
        return NameClaim::Refused;
    };
    EXPECT_EQ(chooseWorkFileName(workfile::kReport, "D\\", random, refused).outcome, NameClaim::Refused);
    EXPECT_EQ(calls, 1) << "a folder that takes no file takes none of the other names either";
}

// Two copies started in the same second with the same TEMP draw the same
// numbers: the second must not take the first one's name.
TEST(WorkFileName, RealNameIsMadeNewInTheWorkDirectory) {
    TempDir dir;
    ScopedTemp temp(dir.path());
    const std::string first = makeWorkFileName(workfile::kReport);
    EXPECT_EQ(first.rfind(dir.path() + "Korvexer_work_file.", 0), 0u) << first;
    EXPECT_TRUE(fileExists(first));
    EXPECT_EQ(readFileBytes(first), "");
    const std::string second = makeWorkFileName(workfile::kReport);
    EXPECT_NE(second, first);
    EXPECT_TRUE(fileExists(second));

    ScopedTemp missing(dir.file("no such folder") + "\\");
    const ClaimedName refused = claimWorkFileName(workfile::kReport);
    EXPECT_EQ(refused.outcome, NameClaim::Refused);
    EXPECT_EQ(refused.path.rfind(dir.file("no such folder\\Korvexer_work_file."), 0), 0u) << refused.path;
}

TEST(WorkFileName, DrawersWithTheSameSeedGetFilesOfTheirOwn) {
    TempDir dir;
    for (const char* pattern : {workfile::kReport, workfile::kRunnerOutput, workfile::kRunnerBatch,
                                workfile::kRunnerScript, workfile::kExchange}) {
        int a = 4711, b = 4711;
        const ClaimedName first = chooseWorkFileName(
            pattern, dir.path(), [&a] { return a++; }, createNewWorkFile);
        const ClaimedName second = chooseWorkFileName(
            pattern, dir.path(), [&b] { return b++; }, createNewWorkFile);
        EXPECT_TRUE(first.created()) << pattern;
        EXPECT_TRUE(second.created()) << pattern;
        EXPECT_NE(first.path, second.path) << pattern;
        EXPECT_TRUE(fileExists(first.path) && fileExists(second.path)) << pattern;
    }
}

// The other copy makes the drawn name between this copy's draw and its
// making: its file is left as it is, and this copy draws again.
TEST(WorkFileName, ANameMadeByARacingCopyIsNeverJoined) {
    TempDir dir;
    std::string raced;
    auto racingClaim = [&](const std::string& path) {
        if (raced.empty()) {
            raced = path;
            writeFileBytes(path, "the other copy's report");
        }
        return createNewWorkFile(path);
    };
    int next = 5;
    const ClaimedName mine = chooseWorkFileName(
        workfile::kReport, dir.path(), [&next] { return next++; }, racingClaim);
    EXPECT_TRUE(mine.created());
    EXPECT_NE(mine.path, raced);
    EXPECT_EQ(readFileBytes(raced), "the other copy's report");
    EXPECT_EQ(readFileBytes(mine.path), "");
}

// A hive dump's keys list is its report file's name with "keys" after it: a
// name whose list an earlier dump has not yet removed is not free.
TEST(WorkFileName, ACompanionFileLeftBehindKeepsItsNameTaken) {
    TempDir dir;
    // The same numbers every time: the second drawing meets the first one's name.
    const auto random = [] { return 4242; };
    const auto claim = [](const std::string& path) { return createNewWorkFileWithCompanion(path, "keys"); };
    const ClaimedName earlier = chooseWorkFileName(workfile::kReport, dir.path(), random, claim);
    ASSERT_TRUE(earlier.created());
    DeleteFileA(earlier.path.c_str());
    writeFileBytes(earlier.path + "keys", "HKEY_A\r\n");
    const ClaimedName next = chooseWorkFileName(workfile::kReport, dir.path(), random, claim);
    EXPECT_TRUE(next.created());
    EXPECT_NE(next.path, earlier.path);
    EXPECT_FALSE(fileExists(next.path + "keys"));
    EXPECT_FALSE(fileExists(earlier.path)) << "the name given up is not left made";
    DeleteFileA((earlier.path + "keys").c_str());
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
    ASSERT_FALSE(DeleteFileA(path.c_str()))
        << "the holder must block a plain delete for this test to mean anything";
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

// A child a halt ended may outlast any patience on a busy system: its file
// is tried again later (every tick of the window) and goes once it is let
// go. A run that ended by itself waits for nobody and leaves nothing listed.
TEST(WorkFileRemoval, AFileHeldPastItsPatienceGoesOnceItsHolderLetsGo) {
    TempDir dir;
    const std::string halted = dir.file("korvexDlg32_work_file.0000040.vbs");
    const std::string ended = dir.file("korvexDlg32_work_file.0000050.txt");
    HANDLE heldHalted = heldWorkFile(dir, "korvexDlg32_work_file.0000040.vbs");
    HANDLE heldEnded = heldWorkFile(dir, "korvexDlg32_work_file.0000050.txt");
    ASSERT_NE(heldHalted, INVALID_HANDLE_VALUE);
    ASSERT_NE(heldEnded, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(removeWorkFile(halted, 100));
    EXPECT_FALSE(removeWorkFile(ended, 0));
    EXPECT_EQ(removeLeftWorkFiles(), 1u) << "still held";
    EXPECT_TRUE(fileExists(halted));
    CloseHandle(heldHalted);
    CloseHandle(heldEnded);
    EXPECT_EQ(removeLeftWorkFiles(), 0u);
    EXPECT_FALSE(fileExists(halted));
    EXPECT_TRUE(fileExists(ended)) << "not listed: left to the sweep";
}

// One patience for a halted run's three files: when the first one uses it
// up, a later one still held is listed too, not left for good.
TEST(WorkFileRemoval, TheLastFilesOfAHaltedRunAreListedAfterThePatienceIsSpent) {
    TempDir dir;
    const std::string output = dir.file("korvexDlg32_work_file.0000060.txt");
    const std::string batch = dir.file("korvexDlg32_work_file.0000060.bat");
    const std::string script = dir.file("korvexDlg32_work_file.0000060.vbs");
    HANDLE heldOutput = heldWorkFile(dir, "korvexDlg32_work_file.0000060.txt");
    HANDLE heldScript = heldWorkFile(dir, "korvexDlg32_work_file.0000060.vbs");
    writeFileBytes(batch, "@echo off\r\n");
    ASSERT_NE(heldOutput, INVALID_HANDLE_VALUE);
    ASSERT_NE(heldScript, INVALID_HANDLE_VALUE);
    removeWorkFiles({&output, &batch, &script}, 100);
    EXPECT_FALSE(fileExists(batch));
    EXPECT_EQ(removeLeftWorkFiles(), 2u) << "both held files listed";
    CloseHandle(heldOutput);
    CloseHandle(heldScript);
    EXPECT_EQ(removeLeftWorkFiles(), 0u);
    EXPECT_FALSE(fileExists(output));
    EXPECT_FALSE(fileExists(script));
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

} // namespace
