// The command line: which run it asks for, and the one-line reason of every
// line it refuses. Paths with blanks arrive whole when quoted.
#include "app/command_line.h"
#include "app/task_commands.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Action = CommandLine::Action;

struct SplitCase {
    const char* name; // the case's ctest name
    const char* text;
    std::vector<std::string> arguments;
};

// Printed as its name: ctest names a case by what this prints, which must not
// change from one build to the next.
void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name;
}

class SplitArguments : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitArguments, GivesTheArgumentsAsTyped) {
    EXPECT_EQ(splitArguments(GetParam().text), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitArguments,
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", "  \t ", {}},
        SplitCase{"Plain", "/report hkcc out.txt", {"/report", "hkcc", "out.txt"}},
        SplitCase{"BlanksAndTabsAround", "  /report\thkcc   out.txt  ", {"/report", "hkcc", "out.txt"}},
        SplitCase{"QuotedPathWithBlanks",
                  "/report common \"C:\\My Reports\\day 1.txt\"",
                  {"/report", "common", "C:\\My Reports\\day 1.txt"}},
        // A quoted part may sit inside an argument; the marks go.
        SplitCase{"QuotedPartInsideAnArgument", "C:\\\"My Reports\"\\a.txt", {"C:\\My Reports\\a.txt"}},
        // Backslashes stay as they are, also before a closing mark.
        SplitCase{"BackslashBeforeClosingMark", "\"C:\\dir\\\" next", {"C:\\dir\\", "next"}},
        SplitCase{"EmptyQuotedArgument", "a \"\" b", {"a", "", "b"}},
        // An unclosed quotation runs to the end of the line.
        SplitCase{"UnclosedQuotation", "/report hkcc \"C:\\a b", {"/report", "hkcc", "C:\\a b"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

struct ParseCase {
    const char* name; // the case's ctest name
    const char* text;
    Action action;
    const char* kind;  // for Action::Report
    const char* file;  // for Action::Report
    const char* error; // a part of the reason, for Action::Error
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << c.name;
}

class ParseCommandLine : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLine, DecidesTheRun) {
    const ParseCase& c = GetParam();
    const CommandLine line = parseCommandLine(c.text);
    ASSERT_EQ(line.action, c.action) << c.text << " -> " << line.error;
    if (c.action == Action::Report) {
        ASSERT_NE(line.command, nullptr);
        EXPECT_STREQ(line.command->kind, c.kind);
        EXPECT_EQ(line.file, c.file);
    }
    if (c.action == Action::Error) {
        EXPECT_NE(line.error.find(c.error), std::string::npos) << line.error;
        EXPECT_EQ(line.error.find_first_of("\r\n"), std::string::npos) << "one line: " << line.error;
        EXPECT_EQ(line.command, nullptr);
    } else {
        EXPECT_TRUE(line.error.empty()) << line.error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLine,
    ::testing::Values(
        ParseCase{"Empty", "", Action::Window, nullptr, nullptr, nullptr},
        ParseCase{"OnlyBlanks", "   ", Action::Window, nullptr, nullptr, nullptr},
        ParseCase{"Usage", "/?", Action::Usage, nullptr, nullptr, nullptr},
        ParseCase{"UsageWithDash", "-?", Action::Usage, nullptr, nullptr, nullptr},
        ParseCase{"UsageBeforeOtherArguments", "/? /report hkcc x", Action::Usage, nullptr, nullptr, nullptr},
        ParseCase{"Report", "/report hkcc C:\\out.txt", Action::Report, "hkcc", "C:\\out.txt", nullptr},
        ParseCase{"AnyLetterCaseAndQuotedFile", "/REPORT Common \"C:\\My Reports\\a b.txt\"", Action::Report,
                  "common", "C:\\My Reports\\a b.txt", nullptr},
        ParseCase{"DashSwitch", "-report POLICIES out.txt", Action::Report, "policies", "out.txt", nullptr},
        ParseCase{"UncPath", "/report apppaths \\\\server\\share\\x.txt", Action::Report, "apppaths",
                  "\\\\server\\share\\x.txt", nullptr},
        ParseCase{"MisspelledSwitch", "/reprot hkcc x.txt", Action::Error, nullptr, nullptr,
                  "unknown switch \"/reprot\""},
        ParseCase{"NoSwitch", "hkcc x.txt", Action::Error, nullptr, nullptr, "unknown switch \"hkcc\""},
        ParseCase{"DoubleSlash", "//report hkcc x.txt", Action::Error, nullptr, nullptr, "unknown switch"},
        ParseCase{"NoKind", "/report", Action::Error, nullptr, nullptr, "needs a report kind and a file"},
        ParseCase{"UnknownKind", "/report hkxx x.txt", Action::Error, nullptr, nullptr,
                  "unknown report kind \"hkxx\": one of common, policies, services, apppaths, ie, hkcr, "
                  "hkcu, hklm, "
                  "hku, hkcc"},
        ParseCase{"NoFile", "/report hkcc", Action::Error, nullptr, nullptr, "/report hkcc needs a file"},
        ParseCase{"EmptyFile", "/report hkcc \"\"", Action::Error, nullptr, nullptr,
                  "/report hkcc needs a file"},
        ParseCase{"ExtraArgument", "/report hkcc a b", Action::Error, nullptr, nullptr,
                  "unexpected argument \"b\" after the file"},
        ParseCase{"LineEndInsideQuotes", "/report hkcc \"a\r\nb\" c", Action::Error, nullptr, nullptr,
                  "unexpected argument"}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(ParseCommandLine, RedactFollowsTheFile) {
    struct Redacting {
        const char* text;
        bool redact, quiet;
    };
    const Redacting redacting[] = {{"/report common x.txt /redact", true, false},
                                   {"/report hklm \"a b.txt\" -REDACT", true, false},
                                   {"/report hkcc x.txt /redact /quiet", true, true},
                                   {"/report hkcc x.txt /quiet /redact", true, true},
                                   {"/report hkcc x.txt", false, false}};
    for (const Redacting& c : redacting) {
        const CommandLine line = parseCommandLine(c.text);
        ASSERT_EQ(line.action, Action::Report) << c.text << " -> " << line.error;
        EXPECT_EQ(line.redact, c.redact) << c.text;
        EXPECT_EQ(line.quiet, c.quiet) << c.text;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"/report hkcc /redact", "/report hkcc needs a file"},
        {"/report hkcc x.txt /redact extra", "unexpected argument \"extra\" after the file"},
        {"/report hkcc x.txt /redacted", "unexpected argument \"/redacted\""},
        {"/report hkcc x.txt /redact /quiet /redact", "unexpected argument \"/redact\""}};
    for (const auto& [text, reason] : refused) {
        const CommandLine line = parseCommandLine(text);
        ASSERT_EQ(line.action, Action::Error) << text;
        EXPECT_NE(line.error.find(reason), std::string::npos) << text << " -> " << line.error;
    }
}

TEST(ParseCommandLine, ARefusedArgumentIsQuotedShortEnoughForOneLine) {
    const CommandLine line = parseCommandLine("/report " + std::string(5000, 'k') + " x.txt");
    ASSERT_EQ(line.action, Action::Error);
    EXPECT_LT(line.error.size(), 300u);
}

TEST(ParseCommandLine, EveryKindRunsTheTaskOfItsButton) {
    const std::pair<const char*, int> kinds[] = {{"common", IDC_COMMON_ENV},
                                                 {"policies", IDC_POLICIES},
                                                 {"services", IDC_SERVICES},
                                                 {"apppaths", IDC_APP_PATHS},
                                                 {"ie", IDC_IE},
                                                 {"hkcr", IDC_HKCR},
                                                 {"hkcu", IDC_HKCU},
                                                 {"hklm", IDC_HKLM},
                                                 {"hku", IDC_HKU},
                                                 {"hkcc", IDC_HKCC}};
    std::set<const TaskCommand*> seen;
    for (const auto& [kind, id] : kinds) {
        const CommandLine line = parseCommandLine(std::string("/report ") + kind + " out.txt");
        ASSERT_EQ(line.action, Action::Report) << kind;
        EXPECT_EQ(line.command, findTaskCommand(id)) << kind;
        seen.insert(line.command);
    }
    EXPECT_EQ(seen.size(), 10u);
}

TEST(ParseCommandLine, HiveKindsNameTheirHives) {
    const std::pair<const char*, const char*> hives[] = {{"hkcr", "HKEY_CLASSES_ROOT"},
                                                         {"hkcu", "HKEY_CURRENT_USER"},
                                                         {"hklm", "HKEY_LOCAL_MACHINE"},
                                                         {"hku", "HKEY_USERS"},
                                                         {"hkcc", "HKEY_CURRENT_CONFIG"}};
    for (const auto& [kind, hive] : hives) {
        const TaskCommand* command = findTaskCommandByKind(kind);
        ASSERT_NE(command, nullptr);
        ASSERT_EQ(command->start, TaskStart::Hive);
        EXPECT_STREQ(hiveEntry(command->hive).name, hive);
        EXPECT_NE(std::string(command->header).find(hive), std::string::npos) << command->header;
    }
}

TEST(UsageText, ShowsTheSwitchEveryKindAndTheExitCodes) {
    const std::string usage = usageText();
    EXPECT_NE(usage.find("Korvexer.exe [/report KIND FILE [/quiet] [/redact]]"), std::string::npos);
    EXPECT_NE(usage.find("/quiet leaves it out"), std::string::npos);
    EXPECT_NE(usage.find(taskKindList()), std::string::npos);
    // What differs from the window where nobody is there to answer or to read a trailer.
    EXPECT_NE(usage.find("services report has no trailer"), std::string::npos);
    EXPECT_NE(usage.find("answered No"), std::string::npos);
    EXPECT_NE(usage.find("/redact"), std::string::npos);
    for (const char* code : {"0:", "1:", "2:"})
        EXPECT_NE(usage.find(code), std::string::npos) << code;
    // Every line end is CR LF, as a console shows it.
    for (size_t i = usage.find('\n'); i != std::string::npos; i = usage.find('\n', i + 1)) {
        ASSERT_GT(i, 0u);
        EXPECT_EQ(usage[i - 1], '\r') << i;
    }
}

} // namespace

TEST(ParseCommandLine, InventoryTakesATargetAndAnOptionalTag) {
    struct Case {
        const char* text;
        const char* target;
        const char* tag;
        const char* error; // nullptr: accepted
    };
    const Case cases[] = {
        {"/inventory http://srv/ocsinventory", "http://srv/ocsinventory", "", nullptr},
        {"-INVENTORY \"C:\\Inv Files\\pc.xml\" /TAG \"Lab 7\"", "C:\\Inv Files\\pc.xml", "Lab 7", nullptr},
        {"/inventory", nullptr, nullptr, "/inventory needs a server address"},
        {"/inventory \"\" /tag x", nullptr, nullptr, "/inventory needs a server address"},
        {"/inventory x.xml /tag", nullptr, nullptr, "/tag needs a text"},
        {"/inventory /tag LAB-7", nullptr, nullptr, "/inventory needs a server address"},
        {"/inventory x.xml /tag a b", nullptr, nullptr, "unexpected argument \"b\" after the target"},
        {"/inventory x.xml /report hkcc", nullptr, nullptr, "unexpected argument \"/report\""},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(c.text);
        if (c.error != nullptr) {
            ASSERT_EQ(line.action, Action::Error) << c.text;
            EXPECT_NE(line.error.find(c.error), std::string::npos) << line.error;
            continue;
        }
        ASSERT_EQ(line.action, Action::Inventory) << c.text << " -> " << line.error;
        EXPECT_EQ(line.target, c.target);
        EXPECT_EQ(line.tag, c.tag);
    }
    EXPECT_NE(usageText().find("Korvexer.exe /inventory TARGET [/tag TEXT] [/quiet]"), std::string::npos);
}

TEST(ParseCommandLine, QuietFollowsTheReportsFileOrTheInventorysTargetAndTag) {
    struct Case {
        const char* text;
        Action action;
        bool quiet;
        const char* error; // for Action::Error
    };
    const Case cases[] = {
        {"/report hkcc out.txt", Action::Report, false, nullptr},
        {"/report hkcc out.txt /quiet", Action::Report, true, nullptr},
        {"/report hkcc \"a b.txt\" -QUIET", Action::Report, true, nullptr},
        // Without its file the switch would be taken for one named "\quiet".
        {"/report hkcc /quiet", Action::Error, false, "/report hkcc needs a file"},
        {"/report /quiet out.txt", Action::Error, false, "unknown report kind \"/quiet\""},
        {"/report hkcc out.txt /quiet /quiet", Action::Error, false, "unexpected argument \"/quiet\""},
        {"/report hkcc out.txt /quiet extra", Action::Error, false, "unexpected argument \"extra\""},
        {"/report hkcc out.txt /quietly", Action::Error, false, "unexpected argument \"/quietly\""},
        {"/inventory x.xml", Action::Inventory, false, nullptr},
        {"/inventory x.xml /quiet", Action::Inventory, true, nullptr},
        {"/inventory x.xml /tag LAB-7 /quiet", Action::Inventory, true, nullptr},
        {"/inventory x.xml /quiet /tag LAB-7", Action::Inventory, true, nullptr},
        {"/inventory /quiet", Action::Error, false, "/inventory needs a server address"},
        {"/inventory x.xml /quiet /quiet", Action::Error, false, "unexpected argument \"/quiet\""},
        {"/inventory x.xml /tag a /tag b", Action::Error, false, "unexpected argument \"/tag\""},
        {"/inventory x.xml /quiet /tag", Action::Error, false, "/tag needs a text"},
        // The tag's text is never a switch of ours: /quiet would be on the server.
        {"/inventory x.xml /tag /quiet", Action::Error, false, "/tag needs a text"},
        {"/quiet", Action::Error, false, "unknown switch \"/quiet\""},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(c.text);
        ASSERT_EQ(line.action, c.action) << c.text << " -> " << line.error;
        EXPECT_EQ(line.quiet, c.quiet) << c.text;
        if (c.error != nullptr) {
            EXPECT_NE(line.error.find(c.error), std::string::npos) << line.error;
        }
    }
    EXPECT_EQ(parseCommandLine("/inventory x.xml /quiet /tag LAB-7").tag, "LAB-7");
}
