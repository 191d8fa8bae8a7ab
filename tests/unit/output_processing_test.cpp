#include "runner/output_processing.h"

#include <gtest/gtest.h>

namespace {

void noConversion(std::string&) {}

RunnerOutput process(const std::string& bytes, RunnerModes modes = {}, bool probe = false) {
    return processRunnerOutput(bytes, modes, probe, noConversion);
}

std::string joined(const std::vector<std::string>& pieces) {
    std::string out;
    for (const auto& p : pieces) out += p;
    return out;
}

const std::string kScriptHostBanner = "Microsoft (R) Windows Script Host Version 5.7\r\nCopyright (C) "
                                      "Microsoft Corporation. All rights reserved.\r\n";
// What the first versions of the host print.
const std::string kScriptingHostBanner =
    "Microsoft (R) Windows Scripting Host Version 5.0 for Windows\r\n"
    "Copyright (C) Microsoft Corporation 1996-1999. All rights reserved.\r\n";

TEST(RunnerOutput, LinesOfEightyBytesArriveInChunksOfSeven) {
    std::string bytes;
    for (int i = 0; i < 25; ++i) bytes += std::string(78, char('a' + i)) + "\r\n";
    const RunnerOutput out = process(bytes);
    ASSERT_EQ(out.report.size(), 4u);
    EXPECT_EQ(out.report[0], std::string(78, 'a') + "\n" + std::string(78, 'b') + "\n" + std::string(78, 'c') + "\n" +
                                 std::string(78, 'd') + "\n" + std::string(78, 'e') + "\n" + std::string(78, 'f') +
                                 "\n" + std::string(78, 'g') + "\n");
    const size_t lines[] = {7, 7, 7, 4};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(out.report[i].size(), lines[i] * 79) << i;
    EXPECT_EQ(joined(out.report).find('\r'), std::string::npos);
}

TEST(RunnerOutput, CleaningRemovesControlBytesAndKeepsPercent) {
    const RunnerOutput out = process("a\tb\a\b\x0b\x0c c 100%\r\n");
    EXPECT_EQ(joined(out.report), "ab c 100%\n");
}

TEST(RunnerOutput, ProbeResults) {
    RunnerOutput none = process("", {}, true);
    EXPECT_EQ(none.result, 1);
    EXPECT_TRUE(none.report.empty());
    RunnerOutput one = process("x", {}, true);
    EXPECT_EQ(one.result, 1);
    EXPECT_EQ(joined(one.report), "x") << "a single character is delivered";
    RunnerOutput two = process("xy and more", {}, true);
    EXPECT_EQ(two.result, 2);
    EXPECT_TRUE(two.report.empty());
}

TEST(RunnerOutput, ScriptHostBannerIsDroppedOnlyWhenPrinted) {
    const struct {
        const char* name;
        std::string bytes;
        std::string report;
    } cases[] = {
        {"script host", kScriptHostBanner + "\r\none\r\n", "\none\n"},
        {"scripting host", kScriptingHostBanner + "one\r\ntwo\r\n", "one\ntwo\n"},
        {"script host banner alone", kScriptHostBanner, ""},
        {"scripting host banner alone", kScriptingHostBanner, ""},
        {"no banner", "one\r\ntwo\r\n", "one\ntwo\n"},
        {"no banner, one line", "only\r\n", "only\n"},
        {"banner text later in the output", "one\r\nMicrosoft (R) Windows Script Host\r\nthree\r\n",
         "one\nMicrosoft (R) Windows Script Host\nthree\n"},
    };
    RunnerModes script;
    script.scriptMode = true;
    for (const auto& c : cases)
        EXPECT_EQ(joined(process(c.bytes, script).report), c.report) << c.name;
}

TEST(RunnerOutput, JoinThreeOfSevenLines) {
    RunnerModes join;
    join.joinThreeMode = true;
    const RunnerOutput out = process("1\r\n2\r\n3\r\n4\t\r\n5\r\n6\r\n7\r\n", join);
    EXPECT_EQ(joined(out.report), "1,      2,      3\n4\t,      5,      6\n7,      \n");
}

TEST(RunnerOutput, EnvValueWithoutLineEndAndDoubledPercent) {
    RunnerModes env;
    env.envValueMode = true;
    const RunnerOutput out = process("env_olddir=C:\\Temp\\100% sure\r\n", env);
    EXPECT_TRUE(out.envValueSet);
    EXPECT_EQ(out.envValue, "C:\\Temp\\100%% sure");
    EXPECT_TRUE(out.report.empty());
}

TEST(RunnerOutput, CaptureDoublesPercent) {
    RunnerModes capture;
    capture.scriptMode = true;
    capture.captureMode = true;
    const RunnerOutput out = process("50% done\r\n", capture);
    EXPECT_EQ(out.capture, "50%% done\n");
    EXPECT_TRUE(out.report.empty());
}

TEST(RunnerOutput, OwnInstances) {
    RunnerModes count;
    count.scriptMode = true;
    count.countInstancesMode = true;
    const RunnerOutput out =
        process("Process: Korvexer.exe\r\nProcess: notepad.exe\r\nProcess: Korvexer.exe\r\nProcess: korvex.exe\r\n", count);
    EXPECT_EQ(out.ownInstances, 3);
    EXPECT_TRUE(out.report.empty());
    EXPECT_EQ(countOwnInstanceLines("Process: korvex.exe"), 1) << "19 characters";
    EXPECT_EQ(countOwnInstanceLines("xProcess: korvex.exe Process: Korvexer.exe\n"), 2);
}

// A file zero-filled after a crash (a hosts file, a log) printed by "type":
// a zero byte would end the report wherever the report is read as a text.
TEST(RunnerOutput, ZeroBytesBecomeBlanksInEveryMode) {
    using namespace std::string_literals;
    RunnerModes plain, join, script, capture, env;
    join.joinThreeMode = true;
    script.scriptMode = true;
    capture.scriptMode = capture.captureMode = true;
    env.envValueMode = true;
    const std::string lines = "one\0\0two\r\nthree\0\r\n"s;
    const std::string big = std::string(600, '\0') + "\r\nafter\r\n";
    EXPECT_EQ(joined(process(lines, plain).report), "one  two\nthree \n");
    EXPECT_EQ(joined(process(big, plain).report), std::string(600, ' ') + "\nafter\n")
        << "a chunk of its own";
    EXPECT_EQ(joined(process(lines, join).report), "one  two,      three ,      \n");
    EXPECT_EQ(joined(process(kScriptHostBanner + lines, script).report), "one  two\nthree \n");
    EXPECT_EQ(process(lines, capture).capture, "one  two\nthree \n");
    EXPECT_EQ(process("env_olddir=C:\\a\0b\r\n"s, env).envValue, "C:\\a b");
}

}  // namespace
