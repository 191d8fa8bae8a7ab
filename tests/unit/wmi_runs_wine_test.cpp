// The WMI runs of the common report run by the real script host: every run
// compiles and reaches its end, classes without instances give their header
// lines only, and a property the system lacks costs only its own line.
#include "collect/wmi_runs.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <sstream>

namespace {

using Lines = std::vector<std::string>;

const std::string kSep(75, '=');
const char* const kEnd = "END OF THE RUN";

// The run's output (to the report, whatever its mode in the report), with a
// last line echoed after its last block: present only when no error ended
// the script and it compiled at all.
std::string runThroughScriptHost(Lines lines) {
    lines.push_back(std::string("Wscript.Echo \"") + kEnd + "\"");
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    EXPECT_TRUE(appendLines(script, lines));
    TestContext context;
    ProcessRunner(context).run(script.text(), RunMode::Script);
    return context.report;
}

// The titles the script echoes, in script order.
std::vector<std::string> titlesOf(const Lines& lines) {
    std::vector<std::string> titles;
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i - 1] == "Wscript.Echo \"" + std::string(75, '=') + "\"")
            titles.push_back(lines[i].substr(14, lines[i].size() - 15));
    return titles;
}

Lines reportLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// One test per run, so that each has the test time-out to itself.
struct EveryWmiRun : ::testing::TestWithParam<char> {};

TEST_P(EveryWmiRun, RunsToItsEndWithItsTitlesInOrder) {
    const WmiRun& run = wmiRun(GetParam());
    ASSERT_EQ(run.letter, GetParam());
    const Lines lines = run.lines(true);
    const std::string out = runThroughScriptHost(lines);
    EXPECT_EQ(out.find("Microsoft VBScript"), std::string::npos) << out;
    const Lines printed = reportLines(out);
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.back(), kEnd) << out;
    size_t at = 0;
    for (const std::string& title : titlesOf(lines)) {
        const size_t found = out.find(kSep + "\n" + title + "\n \n", at);
        EXPECT_NE(found, std::string::npos) << title << " missing or out of order";
        if (found != std::string::npos) at = found;
    }
}

INSTANTIATE_TEST_SUITE_P(WmiRunsUnderTheScriptHost, EveryWmiRun,
                         ::testing::Values('A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M',
                                           'N', 'O', 'P', 'Q'),
                         [](const ::testing::TestParamInfo<char>& info) {
                             return std::string(1, info.param);
                         });

TEST(WmiRunsUnderTheScriptHost, ClassesWithoutInstancesGiveTheirHeaderLinesOnly) {
    // Wine keeps no environment or start-up command instances in WMI.
    const std::string expected[] = {
        " \n" + kSep + "\nAll Environment Variables -> user details :\n \n" + kEnd + "\n",
        " \n" + kSep + "\nComputer Startup Commands  - User dependence:\n \n" + kEnd + "\n",
    };
    EXPECT_EQ(runThroughScriptHost(environmentRunLines()), expected[0]);
    EXPECT_EQ(runThroughScriptHost(startupCommandsRunLines()), expected[1]);
    // Nor printers: their two blocks are headers, one after the other.
    const std::string slots = runThroughScriptHost(slotsRunLines(true));
    EXPECT_NE(slots.find(kSep + "\nPrinter Connections:\n \n \n" + kSep + "\nPrinter Drivers:\n \n" + kEnd),
              std::string::npos)
        << slots;
}

TEST(WmiRunsUnderTheScriptHost, LongOperatingSystemFormKeepsTheLinesAfterAMissingProperty) {
    WmiItem caption{WmiItem::Label, "Caption", "", "", ""};
    WmiItem missing{WmiItem::Label, "NoSuchPropertyHere", "", "", ""};
    WmiItem version{WmiItem::Label, "Version", "", "", ""};
    const Lines printed = reportLines(
        runThroughScriptHost(secondConnectionLines("Win32_OperatingSystem", {caption, missing, version})));
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[0].rfind("Caption: ", 0), 0u);
    EXPECT_EQ(printed[1].rfind("Version: ", 0), 0u);

    // The whole run: the labels it prints follow the script's order to its
    // last one, whatever this system lacks on the way (Wine lacks some).
    const Lines script = operatingSystemRunLines(true);
    Lines expected;
    for (const std::string& line : script)
        if (line.rfind("      WScript.Echo \"", 0) == 0)
            expected.push_back(line.substr(20, line.find(':') - 20));
    ASSERT_EQ(expected.size(), 53u);
    const std::string out = runThroughScriptHost(script);
    auto next = expected.begin();
    size_t seen = 0;
    for (const std::string& line : reportLines(out)) {
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        next = std::find(next, expected.end(), line.substr(0, colon));
        ASSERT_NE(next, expected.end()) << line << " out of order";
        ++seen;
    }
    EXPECT_EQ(*next, "Version") << out;
    // Wine lacks CreationClassName, the sixth line: all the lines after it
    // were lost while the block had no "On Error Resume Next".
    EXPECT_GT(seen, 6u) << out;
    // A converted install date follows the empty line its function echoes.
    if (const size_t date = out.find("\nInstallDate: "); date != std::string::npos) {
        EXPECT_EQ(out[date - 1], '\n');
    }
}

TEST(WmiRunsUnderTheScriptHost, IndexLoopsOverAMissingArrayEndAndPrintNothing) {
    // Before the array test such a loop kept the script host spinning.
    WmiBlock block;
    block.className = "Win32_OperatingSystem";
    block.items =
        labels({"indexed NoSuchArrayHere as Indexed", "bounded NoSuchArrayHere as Bounded", "Caption"});
    const Lines printed = reportLines(runThroughScriptHost(blockLines(block)));
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].rfind("Caption: ", 0), 0u);
    EXPECT_EQ(printed[1], kEnd);
}

// Items made in the script itself stand in for WMI objects: one without a
// date, one with a text no date function converts, one without the property.
TEST(WmiRunsUnderTheScriptHost, ADateThatCannotBeShownNeverShowsThePreviousItemsDate) {
    WmiBlock block;
    block.item = "objItem";
    Lines script = {"On Error Resume Next",
                    "Class Dated",
                    "    Public DriverDate",
                    "End Class",
                    "Class Undated",
                    "    Public Other",
                    "End Class",
                    "Set a = New Dated",
                    "a.DriverDate = \"20200102030405.000000+000\"",
                    "Set b = New Dated",
                    "b.DriverDate = Null",
                    "Set c = New Dated",
                    "c.DriverDate = \"not a date\"",
                    "Set d = New Undated",
                    "For Each objItem In Array(a, b, a, c, a, d)"};
    for (const std::string& line : itemLines(block, labels({"date DriverDate as Driver Date"})))
        script.push_back(line);
    script.push_back("Next");
    for (const std::string& line : dateFunctionLines(DateVariant::B))
        script.push_back(line);
    const Lines printed = reportLines(runThroughScriptHost(script));
    ASSERT_EQ(printed.size(), 7u) << runThroughScriptHost(script);
    const std::string dated = printed[0];
    ASSERT_GT(dated.size(), std::string("Driver Date: ").size()) << "the script host converts a WMI date";
    EXPECT_EQ(printed[1], "Driver Date: ");
    EXPECT_EQ(printed[2], dated);
    EXPECT_EQ(printed[3], "Driver Date: ");
    EXPECT_EQ(printed[4], dated);
    EXPECT_EQ(printed[5], "Driver Date: ");
    EXPECT_EQ(printed[6], kEnd);
}

TEST(WmiRunsUnderTheScriptHost, NtfsBlockPrintsExactlyFiveTexts) {
    const std::vector<std::vector<std::string>> texts = {
        {"No value set for disabling 8.3 file name creation.",
         "No 8.3 file names will be created for new files.", "8.3 file names will be created for new files."},
        {"No value set for allowing extended characters in  8.3 file names.",
         "Extended characters are permitted in 8.3 file names.",
         "Extended characters not permitted in 8.3 file names."},
        {"No value set for reserving the MFT zone.",
         "One-eighth of the disk has been reserved for the MFT zone.",
         "One-fourth of the disk reserved for the MFT zone.",
         "Three-eighths of the disk reserved for the MFT zone.",
         "One half of the disk reserved for the MFT zone."},
        {"No value set for disabling the last access update for files and folder.",
         "The last access timestamp will not be updated on files and folders.",
         "The last access timestamp updated on files and folders."},
        {"No value set for using long file names and timestamps.",
         "Long file names and extended timestamps are used.",
         "Long file names and extended timestamps are not used."},
    };
    // The text each decision must print for the value this machine has: the
    // first when there is none, else the one the value picks.
    const char* const names[] = {"NtfsDisable8dot3NameCreation", "NtfsAllowExtendedCharacterIn8Dot3Name",
                                 "NtfsMftZoneReservation", "NtfsDisableLastAccessUpdate", "Win31FileSystem"};
    const Lines printed = reportLines(runThroughScriptHost(ntfsBlockLines()));
    ASSERT_EQ(printed.size(), 4u + 5u + 1u);
    for (size_t i = 0; i < 5; ++i) {
        DWORD value = 0, size = sizeof value, type = 0;
        HKEY key = nullptr;
        bool set = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\FileSystem", 0,
                                 KEY_READ, &key) == ERROR_SUCCESS;
        if (set) {
            set = RegQueryValueExA(key, names[i], nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                      ERROR_SUCCESS &&
                  type == REG_DWORD;
            RegCloseKey(key);
        }
        size_t expected = 0;
        if (set) expected = i == 2 ? value : (value == 1 ? 1 : 2);
        ASSERT_LT(expected, texts[i].size()) << names[i] << " = " << value;
        EXPECT_EQ(printed[4 + i], texts[i][expected]) << names[i];
    }
}

TEST(WmiRunsUnderTheScriptHost, TaskListCapturedWithProcessesAndTheirIds) {
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    ASSERT_TRUE(appendLines(script, taskListRunLines()));
    TestContext context;
    RunHolder holder;
    EXPECT_EQ(ProcessRunner(context).run(script.text(), RunMode::ScriptCapture, false, &holder), 1);
    EXPECT_EQ(context.report, "");
    EXPECT_NE(holder.captureText.find("\n \nProcess: "), std::string::npos) << holder.captureText;
    EXPECT_NE(holder.captureText.find("\nProcess ID: "), std::string::npos);
    // Wine's own services run in processes of their own.
    EXPECT_NE(holder.captureText.find("\nWindows System SERVICE Action for "), std::string::npos);
    EXPECT_EQ(holder.captureText.find("Microsoft VBScript"), std::string::npos);

    // The count run sees this test program's host but no copy of Korvexer.
    script.clear();
    ASSERT_TRUE(appendLines(script, processCountRunLines()));
    holder.ownInstanceCount = 0;
    EXPECT_EQ(ProcessRunner(context).run(script.text(), RunMode::ScriptCountInstances, false, &holder), 1);
    EXPECT_EQ(holder.ownInstanceCount, 0);
    EXPECT_EQ(context.report, "");
}

} // namespace
