// The file a command-line report goes to: written beside, put in place only
// when complete, and an earlier file kept whenever the run fails.
#include "app/report_target.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string kReport = "Line one\r\r\nLine two\r\r\n\r\n====\r\nKorvexer.exe -> end \r\n";

TEST(ReportTarget, CompleteReportReplacesTheEarlierFileByteForByte) {
    TempDir dir;
    const std::string file = dir.file("report.txt");
    writeFileBytes(file, "earlier report, longer than the new one " + std::string(500, 'x'));
    ReportTarget target(file);
    ASSERT_TRUE(target.ready()) << target.reason();
    // Until it is complete, the report is only beside the file.
    EXPECT_EQ(target.temporaryPath().rfind(file, 0), 0u);
    EXPECT_TRUE(fileExists(target.temporaryPath()));
    EXPECT_EQ(readFileBytes(file).rfind("earlier report", 0), 0u);
    ASSERT_TRUE(target.commit(kReport)) << target.reason();
    EXPECT_EQ(readFileBytes(file), kReport);
    EXPECT_FALSE(fileExists(target.temporaryPath()));
}

TEST(ReportTarget, DiscardedRunKeepsTheEarlierFileAndLeavesNothingBeside) {
    TempDir dir;
    const std::string file = dir.file("with blanks in the name.txt");
    writeFileBytes(file, "earlier");
    std::string temporary;
    {
        ReportTarget target(file);
        ASSERT_TRUE(target.ready()) << target.reason();
        temporary = target.temporaryPath();
        target.discard();
    }
    EXPECT_EQ(readFileBytes(file), "earlier");
    EXPECT_FALSE(fileExists(temporary));
    // An abandoned target (a run that ended early) takes its file away too.
    {
        ReportTarget target(file);
        ASSERT_TRUE(target.ready());
        temporary = target.temporaryPath();
    }
    EXPECT_FALSE(fileExists(temporary));
    EXPECT_EQ(readFileBytes(file), "earlier");
}

struct Unwritable {
    const char* name;
    std::function<std::string(const TempDir&)> prepare; // returns the FILE to write
    const char* reason;
};

TEST(ReportTarget, UnwritableFileIsRefusedBeforeAnythingRunsAndKeptAsItWas) {
    const Unwritable cases[] = {
        {"missing folder", [](const TempDir& d) { return d.file("no such folder\\r.txt"); }, "cannot write"},
        {"a folder",
         [](const TempDir& d) {
             CreateDirectoryA(d.file("sub").c_str(), nullptr);
             return d.file("sub");
         },
         "it is a folder"},
        {"read-only file",
         [](const TempDir& d) {
             writeFileBytes(d.file("ro.txt"), "kept");
             SetFileAttributesA(d.file("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
             return d.file("ro.txt");
         },
         "it is read-only"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string file = c.prepare(dir);
        {
            ReportTarget target(file);
            EXPECT_FALSE(target.ready()) << c.name;
            EXPECT_NE(target.reason().find(c.reason), std::string::npos) << c.name << ": " << target.reason();
            EXPECT_NE(target.reason().find(file), std::string::npos) << c.name << ": " << target.reason();
            EXPECT_FALSE(target.commit(kReport)) << c.name;
        }
        if (std::string(c.name) == "read-only file") {
            EXPECT_EQ(readFileBytes(file), "kept");
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

TEST(ReplaceFile, BothTheOneStepAndTheOldSystemsWayReplaceAnExistingFile) {
    const std::pair<const char*, MoveFileExFunction> ways[] = {{"MoveFileEx", systemMoveFileEx()},
                                                               {"delete and rename", nullptr}};
    ASSERT_NE(systemMoveFileEx(), nullptr) << "the test system offers MoveFileExA";
    for (const auto& [name, move] : ways) {
        TempDir dir;
        writeFileBytes(dir.file("new"), "new text");
        writeFileBytes(dir.file("old"), "old text, to be replaced");
        EXPECT_TRUE(replaceFile(dir.file("new"), dir.file("old"), move)) << name;
        EXPECT_EQ(readFileBytes(dir.file("old")), "new text") << name;
        EXPECT_FALSE(fileExists(dir.file("new"))) << name;
        // Also where there was nothing to replace.
        writeFileBytes(dir.file("again"), "again");
        EXPECT_TRUE(replaceFile(dir.file("again"), dir.file("fresh"), move)) << name;
        EXPECT_EQ(readFileBytes(dir.file("fresh")), "again") << name;
        // A source that is not there replaces nothing.
        EXPECT_FALSE(replaceFile(dir.file("gone"), dir.file("old"), move)) << name;
        EXPECT_EQ(readFileBytes(dir.file("old")), "new text") << name;
    }
}

// Restores the current folder a test changes.
struct CurrentFolder {
    char saved[MAX_PATH + 1] = {};
    CurrentFolder() { GetCurrentDirectoryA(sizeof saved, saved); }
    ~CurrentFolder() { SetCurrentDirectoryA(saved); }
};

TEST(ReportTarget, RelativeFileStaysWhereItWasNamedWhenTheCurrentFolderChanges) {
    // Finding the work folder may change the current folder (no TEMP, no
    // TMP): the report still goes where the command line named it.
    TempDir named, later;
    CurrentFolder restore; // back before the folders go
    ASSERT_TRUE(SetCurrentDirectoryA(named.path().c_str()));
    std::string temporary;
    {
        ReportTarget target("relative report.txt");
        ASSERT_TRUE(target.ready()) << target.reason();
        temporary = target.temporaryPath();
        EXPECT_EQ(target.file(), named.file("relative report.txt"));
        ASSERT_TRUE(SetCurrentDirectoryA(later.path().c_str()));
        EXPECT_TRUE(target.commit(kReport)) << target.reason();
    }
    EXPECT_EQ(readFileBytes(named.file("relative report.txt")), kReport);
    EXPECT_FALSE(fileExists(temporary));
    EXPECT_FALSE(fileExists(later.file("relative report.txt")));
}

TEST(TemporaryNameBeside, StaysInTheFilesFolderAndDiffersByProcess) {
    EXPECT_EQ(temporaryNameBeside("C:\\r\\a.txt", 12), "C:\\r\\a.txt.12.partial");
    EXPECT_NE(temporaryNameBeside("a.txt", 1), temporaryNameBeside("a.txt", 2));
}

} // namespace
