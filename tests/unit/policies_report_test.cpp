// The policies report: which .inf lines are listed and how, the scan of a
// folder of .inf files, and the report's frame.
#include "collect/policies_report.h"
#include "report/report_writer.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(InfLines, WhichLinesAreListedAndAsWhat) {
    const std::string longLine(InfLineReader::kLongestLine - 16, 'x');
    const struct {
        const char* name;
        std::string bytes;
        Lines listed;
    } cases[] = {
        {"policy key without \"=\"", "HKLM,\"Software\\Policies\\Microsoft\\Windows\"\n", {}},
        {"\"=\" before the policy key", "Key=HKLM\\Software\\Policies\\X\n", {}},
        {"policy key before the first \"=\"",
         "HKLM\\Software\\Policies\\X=1\n",
         {"HKLM\\Software\\Policies\\X=1\n"}},
        {"second \"=\" after the key does not matter",
         "a\\policies\\b=c=\\policies\n",
         {"a\\policies\\b=c=\\policies\n"}},
        {"class identifier braces", "HKLM\\Software\\Policies\\{8A1B}=1\n", {}},
        {"a closing brace alone", "HKLM\\Software\\Policies\\X=}\n", {}},
        {"\"policies\" without its backslash", "HKLM\\Software/Policies/X=1\n", {}},
        {"capitals match, case kept",
         "HKCU\\SOFTWARE\\POLICIES\\Explorer=NoRun\n",
         {"HKCU\\SOFTWARE\\POLICIES\\Explorer=NoRun\n"}},
        {"tabs, carriage return and \";\" removed, comment text kept",
         "\tHKLM\\Software\\Policies\\X\t=\t1 ; set by setup\r\n",
         {"HKLM\\Software\\Policies\\X=1  set by setup\n"}},
        {"\"~\", high bytes and control characters removed",
         "a\\Poli~cies\x01\x80\xff\x0b=1\n",
         {"a\\Policies=1\n"}},
        {"a last line without its line feed is not tested", "HKLM\\Software\\Policies\\X=1", {}},
        {"the lines before and after others",
         "x\n\\policies=1\ny=2\n\\policies\\z=3\n",
         {"\\policies=1\n", "\\policies\\z=3\n"}},
        {"a line of the longest length is listed",
         "\\policies=" + std::string(InfLineReader::kLongestLine - 10, 'a') + "\n",
         {"\\policies=" + std::string(InfLineReader::kLongestLine - 10, 'a') + "\n"}},
        {"removed characters do not count towards the length",
         "\\policies=" + std::string(InfLineReader::kLongestLine - 10, 'a') + "\t;\r\n",
         {"\\policies=" + std::string(InfLineReader::kLongestLine - 10, 'a') + "\n"}},
        {"a longer line ends the file",
         "\\policies=1\n" + std::string(InfLineReader::kLongestLine + 1, 'b') + "\n\\policies=2\n",
         {"\\policies=1\n"}},
        {"a longer line that would match is not listed either",
         "\\policies=" + std::string(InfLineReader::kLongestLine - 9, 'a') + "\n\\policies=2\n",
         {}},
        {"an empty file", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(infPolicyLines(c.bytes), c.listed) << c.name;
}

TEST(InfLines, ChunksOfAnySizeGiveTheLinesOfTheWholeFile) {
    std::string file;
    for (int i = 0; i < 300; ++i) {
        file += "[Section" + std::to_string(i) + "]\r\n";
        file += "HKLM,\"Software\\Policies\\Vendor" + std::to_string(i) + "\",Value=" + std::to_string(i) +
                "\r\n";
        file += "; comment \\Policies\\ = nothing\r\n";
    }
    file += std::string(InfLineReader::kLongestLine + 5, 'z');
    file += "\n\\policies=after the long line\n";
    const Lines whole = infPolicyLines(file);
    ASSERT_EQ(whole.size(), 600u);
    for (size_t chunk : {size_t{1}, size_t{7}, size_t{4096}}) {
        InfLineReader reader;
        Lines lines;
        bool more = true;
        for (size_t at = 0; at < file.size() && more; at += chunk)
            more = reader.feed(std::string_view(file).substr(at, chunk), lines);
        EXPECT_FALSE(more) << chunk;
        EXPECT_FALSE(reader.feed("\\policies=1\n", lines)) << "a stopped file stays stopped";
        EXPECT_EQ(lines, whole) << chunk;
    }
}

struct InfFolder : ::testing::Test {
    TempDir dir;
    TestContext context;
};

TEST_F(InfFolder, EveryInfFileIsScannedAndEachLineWrittenWithATab) {
    writeFileBytes(dir.file("one.inf"), "[Reg]\r\nHKLM\\Software\\Policies\\One=1\r\n");
    writeFileBytes(dir.file("two.INF"), "HKCU\\Software\\Policies\\Two=2\r\nnothing=here\r\n");
    writeFileBytes(dir.file("three.txt"), "HKLM\\Software\\Policies\\Three=3\r\n");
    ASSERT_TRUE(CreateDirectoryA(dir.file("folder.inf").c_str(), nullptr));
    // A file from 64 KB on is read in more than one piece.
    std::string big(100 * 1024, ' ');
    for (size_t at = 0; at + 100 < big.size(); at += 100)
        big[at + 99] = '\n';
    big += "\nHKLM\\Software\\Policies\\Big=4\n";
    writeFileBytes(dir.file("big.inf"), big);

    EXPECT_TRUE(writeInfPolicyLines(context, dir.path()));
    RemoveDirectoryA(dir.file("folder.inf").c_str());
    // The file search's order is the file system's: compare as a set of lines.
    Lines written;
    for (size_t at = 0; at < context.report.size();) {
        const size_t end = context.report.find('\n', at);
        ASSERT_NE(end, std::string::npos) << context.report;
        written.push_back(context.report.substr(at, end + 1 - at));
        at = end + 1;
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (Lines{"\tHKCU\\Software\\Policies\\Two=2\n", "\tHKLM\\Software\\Policies\\Big=4\n",
                              "\tHKLM\\Software\\Policies\\One=1\n"}));
    EXPECT_EQ(context.steps, 3) << "a progress step after each listed line";
}

TEST_F(InfFolder, AHaltStopsTheScanAfterTheLineItCameWith) {
    writeFileBytes(dir.file("a.inf"), "\\policies\\a=1\n\\policies\\b=2\n\\policies\\c=3\n");
    writeFileBytes(dir.file("b.inf"), "\\policies\\d=4\n");
    context.haltAfterSteps = 2;
    EXPECT_FALSE(writeInfPolicyLines(context, dir.path().substr(0, dir.path().size() - 1)));
    EXPECT_EQ(context.steps, 2);
    EXPECT_EQ(std::count(context.report.begin(), context.report.end(), '\n'), 2) << context.report;
}

TEST_F(InfFolder, NoFolderOrNoInfFilesGivesNoLines) {
    EXPECT_TRUE(writeInfPolicyLines(context, dir.file("missing")));
    EXPECT_TRUE(writeInfPolicyLines(context, dir.path()));
    EXPECT_TRUE(writeInfPolicyLines(context, ""));
    EXPECT_EQ(context.report, "");
}

TEST_F(InfFolder, ReportFrameTitleLinesDumpsTrailer) {
    writeFileBytes(dir.file("p.inf"), "HKLM\\Software\\Policies\\P=1\r\n");
    context.animating = true;
    writePoliciesReport(context, dir.path());
    const std::string title = "Windows system Policies config for the Windows Registration Database:\n\n";
    ASSERT_EQ(context.report.rfind(title + "\tHKLM\\Software\\Policies\\P=1\n", 0), 0u) << context.report;
    const std::string trailer = reportTrailer();
    ASSERT_GE(context.report.size(), trailer.size());
    EXPECT_EQ(context.report.substr(context.report.size() - trailer.size()), trailer)
        << "the trailer closes it";
    EXPECT_FALSE(context.animating) << "a complete report stops the status animation";
}

TEST_F(InfFolder, AHaltAfterTheTitleEndsTheReportThere) {
    writeFileBytes(dir.file("p.inf"), "HKLM\\Software\\Policies\\P=1\r\n");
    context.animating = true;
    context.haltAfterSteps = 1;
    writePoliciesReport(context, dir.path());
    EXPECT_EQ(context.report, "Windows system Policies config for the Windows Registration Database:\n\n");
    EXPECT_TRUE(context.animating) << "a halted report leaves its flags to the task driver";
}

} // namespace
