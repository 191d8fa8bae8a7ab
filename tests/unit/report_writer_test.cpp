#include "report/report_writer.h"
#include "support/fake_view.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

struct Fixture : ::testing::Test {
    TempDir dir;
    FakeView view;
    ReportState state;
    Fixture() { state.view = &view; }
    void fileMode(const std::string& name) {
        state.collectorRunning = 1;
        state.reportPath.set(dir.file(name));
    }
};

using ReportWriterView = Fixture;
using ReportWriterFile = Fixture;

TEST_F(ReportWriterView, AppendsWithCrLfAndTracksLength) {
    view.content = "head\r\n";
    EXPECT_EQ(reportPrintf(state, "%s\n%s", "two", "words"), 9);
    EXPECT_EQ(view.content, "head\r\ntwo\r\nwords");
    EXPECT_EQ(state.reportLength, static_cast<int32_t>(view.content.size()));
}

TEST_F(ReportWriterView, ExistingCrLfBecomesCrCrLf) {
    reportPrintf(state, "a\r\nb");
    EXPECT_EQ(view.content, "a\r\r\nb");
}

TEST_F(ReportWriterView, SystemTextPassesAsArgumentUntouched) {
    reportPrintf(state, "%s", "100% %d %s");
    EXPECT_EQ(view.content, "100% %d %s");
}

TEST_F(ReportWriterFile, EveryLineFeedReachesDiskAsCrCrLf) {
    fileMode("report.txt");
    reportPrintf(state, "two\nwords");
    reportPrintf(state, " more\r\n");
    state.reportFile.close();
    EXPECT_EQ(readFileBytes(dir.file("report.txt")), "two\r\r\nwords more\r\r\r\n");
    EXPECT_EQ(state.reportLength, 10 + 8);
    EXPECT_TRUE(view.content.empty());
}

// Read through a separate handle, as the close sequence does: the file holds
// what was written once the buffer is full, a second old, or the file closed.
TEST_F(ReportWriterFile, BufferedBytesReachTheDiskWhenFullOldOrClosed) {
    fileMode("grow.txt");
    const auto onDisk = [&] { return readFileBytes(dir.file("grow.txt")).size(); };
    reportPrintf(state, "line %d\n", 0);
    EXPECT_EQ(onDisk(), 0u) << "a single short line waits in the buffer";

    state.reportFile.flushIfOlderThan(60000);
    EXPECT_EQ(onDisk(), 0u) << "not yet old enough";
    state.reportFile.flushIfOlderThan(0);
    EXPECT_EQ(onDisk(), static_cast<size_t>(state.reportLength) + 1) << "the timer's flush writes it";

    // A full buffer goes to the file with the append that fills it. Each
    // line end reaches the disk as CR CR LF: a line of 999 characters is 1,002 bytes.
    const std::string line(999, 'x');
    const size_t written = onDisk();
    size_t buffered = 0;
    while (buffered + 1002 < ReportFile::kBufferBytes) {
        reportPrintf(state, "%s\n", line.c_str());
        buffered += 1002;
    }
    EXPECT_EQ(onDisk(), written);
    reportPrintf(state, "%s\n", line.c_str());
    const size_t full = written + buffered + 1002;
    EXPECT_EQ(onDisk(), full);

    // An append a second after the oldest waiting byte takes the waiting bytes along.
    reportPrintf(state, "waits\n");
    EXPECT_EQ(onDisk(), full);
    Sleep(ReportFile::kFlushMillis + 50);
    reportPrintf(state, "and goes\n");
    EXPECT_EQ(onDisk(), full + 8 + 11);

    reportPrintf(state, "last\n");
    EXPECT_EQ(onDisk(), full + 8 + 11);
    state.reportFile.close();
    EXPECT_EQ(onDisk(), full + 8 + 11 + 7);
}

TEST_F(ReportWriterFile, AnyRunningFlagSelectsFileMode) {
    for (int flag = 0; flag < 3; ++flag) {
        ReportState s;
        s.view = &view;
        const std::string path = dir.file("mode" + std::to_string(flag) + ".txt");
        s.reportPath.set(path);
        if (flag == 0) s.collectorRunning = 1;
        if (flag == 1) s.servicesRunning = 1;
        if (flag == 2) s.ieRunning = 1;
        reportPrintf(s, "x");
        s.reportFile.close();
        EXPECT_EQ(readFileBytes(path), "x") << flag;
    }
    EXPECT_TRUE(view.content.empty());
}

TEST_F(ReportWriterFile, PathChangeStartsTheNewFile) {
    fileMode("first.txt");
    reportPrintf(state, "one");
    state.reportPath.set(dir.file("second.txt"));
    reportPrintf(state, "two");
    state.reportFile.close();
    EXPECT_EQ(readFileBytes(dir.file("first.txt")), "one");
    EXPECT_EQ(readFileBytes(dir.file("second.txt")), "two");
}

TEST_F(ReportWriterFile, UnopenableFileLosesTextButCountsIt) {
    state.collectorRunning = 1;
    state.reportPath.set(dir.file("no\\such\\dir\\x.txt"));
    reportPrintf(state, "abc\n");
    EXPECT_EQ(state.reportLength, 5);
}

TEST_F(ReportWriterFile, SuppressedOutputWritesNothingAnywhere) {
    fileMode("quiet.txt");
    state.suppressOutput = 1;
    EXPECT_EQ(reportPrintf(state, "hidden\n"), 0);
    state.collectorRunning = 0;
    EXPECT_EQ(reportPrintf(state, "hidden\n"), 0);
    EXPECT_FALSE(fileExists(dir.file("quiet.txt")));
    EXPECT_TRUE(view.content.empty());
    EXPECT_EQ(state.reportLength, 0);
}

TEST_F(ReportWriterFile, LongestTextIsWrittenOneMoreIsDropped) {
    fileMode("huge.txt");
    const std::string longest(report::kLongestText, 'x');
    EXPECT_EQ(reportPrintf(state, "%s", longest.c_str()), static_cast<int>(longest.size()));
    const std::string tooLong(report::kLongestText + 1, 'y');
    EXPECT_EQ(reportPrintf(state, "%s", tooLong.c_str()), 0);
    state.reportFile.close();
    EXPECT_EQ(readFileBytes(dir.file("huge.txt")).size(), longest.size());
    // The largest buffer is the last step of 2,560 bytes that stays below 2,560,001.
    EXPECT_EQ(report::kLongestText, 2557440u);
}

TEST(ReportTrailer, HasRuleOfSeventyFiveAndClosingLine) {
    const std::string trailer = reportTrailer();
    ASSERT_EQ(trailer.substr(0, 2), "\r\n");
    EXPECT_EQ(trailer.substr(2, 75), std::string(75, '='));
    EXPECT_EQ(trailer.substr(77, 2), "\r\n");
    EXPECT_EQ(trailer.substr(79, 16), "Korvexer.exe -> ");
    EXPECT_EQ(trailer.substr(trailer.size() - 3), " \r\n");
}

TEST(ViewPrintf, AppendsAtCaretOrToCollectorFile) {
    TempDir dir;
    FakeView view;
    ReportState state;
    state.view = &view;
    viewPrintf(state, "a\nb %d", 7);
    EXPECT_EQ(view.content, "a\r\nb 7");
    state.collectorActive = 1;
    state.collectorReportPath.set(dir.file("c.txt"));
    viewPrintf(state, "c\n");
    state.reportFile.close();
    EXPECT_EQ(readFileBytes(dir.file("c.txt")), "c\r\r\n");
    const std::string big(20000, 'z');
    state.collectorActive = 0;
    view.content.clear();
    viewPrintf(state, "%s", big.c_str());
    EXPECT_EQ(view.content.size(), 9259u);
}

TEST(StaleCleanup, SweepTakesOnlyWorkFilesAndSparesTheNamedOnes) {
    TempDir root;
    // No command line reads the folder's name: "%" and "&" in it are characters like any other.
    const std::string folder = root.file("100% & co %TEMP%\\");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const char* const swept[] = {"Korvexer_work_file.1234560.txt", "korvexDlg32_temp_file.2345671.txt",
                                 "korvexDlg32_work_file.3456782.bat", "korvexDlg32_work_file.3456782.vbs",
                                 "Korvexer_work_file.1234560.txtkeys"};
    const char* const kept[] = {"notes.txt", "Korvexer.exe", "korvexDlg32.txt",
                                "Korvexer_work_file.7654320.txt"}; // this run's own report
    for (const char* name : swept)
        writeFileBytes(folder + name, "x");
    for (const char* name : kept)
        writeFileBytes(folder + name, "x");
    // Named in another case than on disk: still the same file.
    sweepStaleWorkFiles(folder, {folder + "KORVEXER_WORK_FILE.7654320.TXT"});
    // No waiting here: the sweep has finished when the call returns.
    for (const char* name : swept)
        EXPECT_FALSE(fileExists(folder + name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(fileExists(folder + name)) << name;
    for (const char* name : kept)
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(SweepStaleWorkFiles, StopsAsSoonAsItIsAskedTo) {
    TempDir root;
    const std::string folder = root.path();
    const char* const names[] = {"Korvexer_work_file.1234560.txt", "Korvexer_work_file.2345670.txt",
                                 "korvexDlg32_temp_file.3456781.txt"};
    for (const char* name : names)
        writeFileBytes(folder + name, "x");
    int asked = 0;
    // A halt is raised once the first file has gone.
    sweepStaleWorkFiles(folder, {}, [&asked] { return asked++ >= 1; });
    int left = 0;
    for (const char* name : names) {
        left += fileExists(folder + name) ? 1 : 0;
        DeleteFileA((folder + name).c_str());
    }
    EXPECT_EQ(left, 2);
}

} // namespace

TEST(ReportFileLoss, AFileThatCannotBeOpenedIsRememberedUntilANewTaskTakesItsName) {
    TempDir dir;
    const std::string missing = dir.path() + "no such folder\\Korvexer_work_file.1.txt";
    const std::string other = dir.path() + "Korvexer_work_file.2.txt";
    ReportFile file;
    EXPECT_FALSE(file.append(missing, "text\r\r\n"));
    file.close();
    EXPECT_TRUE(file.lostWritesTo(missing));
    EXPECT_FALSE(file.lostWritesTo(other));
    // Another task's file is written whole and leaves the loss where it was.
    EXPECT_TRUE(file.append(other, "text\r\r\n"));
    file.close();
    EXPECT_FALSE(file.lostWritesTo(other));
    file.forgetLossOf(other);
    EXPECT_TRUE(file.lostWritesTo(missing));
    // A new task drawing the failed name again starts without it.
    file.forgetLossOf(missing);
    EXPECT_FALSE(file.lostWritesTo(missing));
}
