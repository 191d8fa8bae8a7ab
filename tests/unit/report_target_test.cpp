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
    using Outcome = Replacement::Outcome;
    const std::pair<const char*, MoveFileExFunction> ways[] = {{"MoveFileEx", systemMoveFileEx()},
                                                               {"move aside and rename", nullptr}};
    ASSERT_NE(systemMoveFileEx(), nullptr) << "the test system offers MoveFileExA";
    for (const auto& [name, move] : ways) {
        TempDir dir;
        writeFileBytes(dir.file("new"), "new text");
        writeFileBytes(dir.file("old"), "old text, to be replaced");
        EXPECT_EQ(replaceFile(dir.file("new"), dir.file("old"), move).outcome, Outcome::Done) << name;
        EXPECT_EQ(readFileBytes(dir.file("old")), "new text") << name;
        EXPECT_FALSE(fileExists(dir.file("new"))) << name;
        EXPECT_FALSE(fileExists(asideNameBeside(dir.file("old"), GetCurrentProcessId()))) << name;
        // Also where there was nothing to replace.
        writeFileBytes(dir.file("again"), "again");
        EXPECT_EQ(replaceFile(dir.file("again"), dir.file("fresh"), move).outcome, Outcome::Done) << name;
        EXPECT_EQ(readFileBytes(dir.file("fresh")), "again") << name;
        // A source that is not there replaces nothing.
        EXPECT_EQ(replaceFile(dir.file("gone"), dir.file("old"), move).outcome, Outcome::Untouched) << name;
        EXPECT_EQ(readFileBytes(dir.file("old")), "new text") << name;
    }
}

// The old systems' way, with renames that fail where a case says: the
// earlier file and the new report both survive every failure.
struct FailingMoves {
    const char* name;
    int failingCall;     // 1: moving the earlier file aside, 2: the rename, 3: putting it back
    int alsoFailingCall; // 0: none
    Replacement::Outcome outcome;
    const char* atFile; // what the file holds afterwards, nullptr: nothing there
    bool newKept;       // the new report is still at its temporary name
    bool earlierAside;  // the earlier file waits at the aside name
};

TEST(ReplaceFile, OldSystemsWayNeverLosesTheEarlierFileNorTheNewReport) {
    using Outcome = Replacement::Outcome;
    const FailingMoves cases[] = {
        {"earlier file cannot be moved aside", 1, 0, Outcome::Untouched, "earlier", true, false},
        {"rename fails, earlier file put back", 2, 0, Outcome::NewKept, "earlier", true, false},
        {"rename fails and so does putting back", 2, 3, Outcome::EarlierAside, nullptr, true, true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string file = dir.file("report.txt");
        const std::string fresh = dir.file("report.txt.partial");
        writeFileBytes(file, "earlier");
        writeFileBytes(fresh, "new report");
        int calls = 0;
        const MoveFileFunction move = [&](const std::string& from, const std::string& to) {
            ++calls;
            if (calls == c.failingCall || calls == c.alsoFailingCall) {
                SetLastError(ERROR_SHARING_VIOLATION);
                return false;
            }
            return moveFile(from, to);
        };
        const Replacement replaced = replaceFile(fresh, file, nullptr, move);
        EXPECT_EQ(replaced.outcome, c.outcome) << c.name;
        EXPECT_EQ(replaced.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << c.name;
        if (c.atFile != nullptr) {
            EXPECT_EQ(readFileBytes(file), c.atFile) << c.name;
        } else {
            EXPECT_FALSE(fileExists(file)) << c.name;
        }
        EXPECT_EQ(fileExists(fresh), c.newKept) << c.name;
        if (c.newKept) {
            EXPECT_EQ(readFileBytes(fresh), "new report") << c.name;
        }
        const std::string aside = asideNameBeside(file, GetCurrentProcessId());
        EXPECT_EQ(fileExists(aside), c.earlierAside) << c.name;
        if (c.earlierAside) {
            EXPECT_EQ(replaced.aside, aside) << c.name;
            EXPECT_EQ(readFileBytes(aside), "earlier") << c.name;
        }
    }
}

TEST(ReportTarget, FailedReplaceOnAnOldSystemKeepsTheNewReportAndSaysWhereItIs) {
    // MoveFileExA missing, and every rename of the finished report refused.
    const MoveFileFunction refuseTheReport = [](const std::string& from, const std::string& to) {
        if (from.find(".partial") != std::string::npos) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return moveFile(from, to);
    };
    TempDir dir;
    const std::string file = dir.file("report.txt");
    writeFileBytes(file, "earlier");
    std::string temporary;
    {
        ReportTarget target(file);
        ASSERT_TRUE(target.ready()) << target.reason();
        temporary = target.temporaryPath();
        EXPECT_FALSE(target.commit(kReport, nullptr, refuseTheReport));
        EXPECT_NE(target.reason().find("cannot replace " + file), std::string::npos) << target.reason();
        EXPECT_NE(target.reason().find("the new report is in " + temporary), std::string::npos)
            << target.reason();
    }
    EXPECT_EQ(readFileBytes(file), "earlier");
    ASSERT_TRUE(fileExists(temporary)) << "the finished report is kept";
    EXPECT_EQ(readFileBytes(temporary), kReport);
    // Without an earlier file nothing was put at risk: the run leaves nothing.
    const std::string freshFile = dir.file("fresh.txt");
    {
        ReportTarget target(freshFile);
        ASSERT_TRUE(target.ready()) << target.reason();
        temporary = target.temporaryPath();
        EXPECT_FALSE(target.commit(kReport, nullptr, refuseTheReport));
        EXPECT_NE(target.reason().find("cannot replace"), std::string::npos) << target.reason();
    }
    EXPECT_FALSE(fileExists(freshFile));
    EXPECT_FALSE(fileExists(temporary));
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
