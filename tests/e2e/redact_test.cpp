// /redact end to end: the common report written plain and redacted on one
// machine. The redacted one holds none of the identifying values the plain
// one shows (read from the plain report, not assumed), gives each value one
// placeholder wherever it stands, and keeps the sections, their headers and
// their lines.
#include "automation.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <vector>

namespace {

using automation::CommandRun;
using automation::runCommandLine;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first);
}

// The values after `label` on every line that starts (after blanks) with it.
std::vector<std::string> valuesAfter(const std::vector<std::string>& lines, const std::string& label) {
    std::vector<std::string> values;
    for (const std::string& line : lines) {
        const std::string bare = trimmed(line);
        if (bare.rfind(label, 0) == 0) values.push_back(trimmed(bare.substr(label.size())));
    }
    return values;
}

// `value` somewhere in `text` with no letter, digit or address mark glued to it.
bool holdsAlone(const std::string& text, const std::string& value) {
    const std::string t = lowered(text), v = lowered(value);
    for (size_t at = t.find(v); at != std::string::npos; at = t.find(v, at + 1)) {
        const auto glued = [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == ':';
        };
        const bool before = at > 0 && glued(t[at - 1]);
        const bool after = at + v.size() < t.size() && glued(t[at + v.size()]);
        if (!before && !after) return true;
    }
    return false;
}

bool isPlaceholder(const std::string& value, const char* kind) {
    return value.rfind("<" + std::string(kind) + "-", 0) == 0 && value.back() == '>';
}

// Sections as the reports lay them out: the line after each rule of 75 "="
// is the section's title; lines counted up to the next rule.
struct Section {
    std::string title;
    size_t lines = 0;
    // What it lists changes from one run to the next: the processes, the
    // network connections netstat prints.
    bool changesBetweenRuns = false;
};
std::vector<Section> sectionsOf(const std::vector<std::string>& lines) {
    const std::string rule(75, '=');
    std::vector<Section> sections(1);
    bool titleNext = false;
    for (const std::string& line : lines) {
        if (line == rule) {
            sections.push_back({});
            titleNext = true;
        } else if (titleNext && !line.empty()) {
            sections.back().title = line;
            titleNext = false;
        }
        ++sections.back().lines;
        if (line.find("Active Connections") != std::string::npos ||
            lowered(sections.back().title).find("process") != std::string::npos)
            sections.back().changesBetweenRuns = true;
    }
    return sections;
}

TEST(CommandLineRedact, CommonReportHoldsNoneOfTheMachinesValues) {
    TempDir work;
    const std::string plainFile = work.file("plain.txt"), redactedFile = work.file("redacted.txt");
    const CommandRun plainRun =
        runCommandLine("/report common \"" + plainFile + "\"", work.path(), work.path(), 200000);
    ASSERT_EQ(plainRun.exitCode, 0u) << plainRun.err;
    const CommandRun redactedRun =
        runCommandLine("/report common \"" + redactedFile + "\" /redact", work.path(), work.path(), 200000);
    ASSERT_EQ(redactedRun.exitCode, 0u) << redactedRun.err;
    EXPECT_EQ(redactedRun.err, "");
    const std::string plain = readFileBytes(plainFile), redacted = readFileBytes(redactedFile);
    const std::vector<std::string> plainLines = linesOf(plain), redactedAll = linesOf(redacted);
    ASSERT_FALSE(redactedAll.empty());
    const std::string summary = redactedAll.front();
    EXPECT_EQ(summary.rfind("Redacted: 1 computer name, ", 0), 0u) << summary;
    // The added line ends as the report's lines do (CR CR LF: loaded from a work file).
    EXPECT_EQ(redacted.substr(summary.size(), 3), plain.substr(plain.find('\n') - 2, 3));
    const std::vector<std::string> redactedLines(redactedAll.begin() + 1, redactedAll.end());

    // The values, as the plain report shows them.
    const std::vector<std::string> computer = valuesAfter(plainLines, "Computer name:");
    ASSERT_EQ(computer.size(), 1u);
    const std::vector<std::string> userLine = valuesAfter(plainLines, "User name:");
    ASSERT_EQ(userLine.size(), 1u);
    const std::string user = trimmed(userLine[0].substr(0, userLine[0].find(" - ")));
    ASSERT_FALSE(user.empty());
    std::set<std::string> macs;
    for (const char* label : {"MAC Address:", "Physical address. . . . . . . . . :"})
        for (const std::string& mac : valuesAfter(plainLines, label))
            if (!mac.empty()) {
                std::string coloned = lowered(mac);
                std::replace(coloned.begin(), coloned.end(), '-', ':');
                macs.insert(coloned);
            }
    std::set<std::string> addresses;
    for (const char* label : {"IP Address:", "Gateway:", "IPv4 address. . . . . . . . . . . :",
                              "IPv6 address. . . . . . . . . . . :", "Default gateway . . . . . . . . . :"})
        for (std::string address : valuesAfter(plainLines, label)) {
            address = address.substr(0, address.find('%'));
            if (!address.empty() && address != "0.0.0.0" && address != "::1" && address.rfind("127.", 0) != 0)
                addresses.insert(address);
        }
    std::set<std::string> serials;
    for (const std::string& line : plainLines)
        if (const size_t at = line.find(" Serial: "); at != std::string::npos && line.find(":\\ ") == 1)
            serials.insert(line.substr(at + 9, line.find(',', at) - at - 9));
    const std::vector<std::string> productId = valuesAfter(plainLines, "Windows Product id:");
    std::cout << "computer " << computer[0] << ", user " << user << ", " << macs.size() << " MAC addresses, "
              << addresses.size() << " addresses, " << serials.size() << " serials; " << summary << "\n";
    // A machine without them would test nothing here.
    EXPECT_FALSE(macs.empty());
    EXPECT_FALSE(addresses.empty());
    EXPECT_FALSE(serials.empty());

    // None of them is left.
    const std::string text = redacted.substr(summary.size());
    EXPECT_FALSE(holdsAlone(text, computer[0])) << computer[0];
    for (const std::string& mac : macs) {
        std::string dashed = mac, coloned = mac;
        std::replace(dashed.begin(), dashed.end(), ':', '-');
        std::replace(coloned.begin(), coloned.end(), '-', ':');
        EXPECT_FALSE(holdsAlone(text, dashed)) << dashed;
        EXPECT_FALSE(holdsAlone(text, coloned)) << coloned;
    }
    for (const std::string& address : addresses)
        EXPECT_FALSE(holdsAlone(text, address)) << address;
    for (const std::string& serial : serials)
        EXPECT_FALSE(holdsAlone(text, serial)) << serial;
    if (!productId.empty() && !productId[0].empty()) {
        EXPECT_EQ(lowered(text).find(lowered(productId[0])), std::string::npos) << productId[0];
    }
    // The user's name where it names the account (the same word may stand in
    // a device path as something else): the identity line, the profile
    // folders, the account list, the environment. (Wine's own variables name
    // the Unix home, "Z:\\root", which is no profile folder and stays.)
    const std::string t = lowered(text), u = lowered(user);
    for (const std::string& form : {"\\" + u + "\\", "\\users\\" + u + "\r", "username=" + u + "\r",
                                    "name: " + u + ":", "user name:          " + u})
        EXPECT_EQ(t.find(form), std::string::npos) << form;

    // One value, one placeholder.
    const std::vector<std::string> computerPlaceholders = valuesAfter(redactedLines, "Computer name:");
    ASSERT_EQ(computerPlaceholders.size(), 1u);
    EXPECT_TRUE(isPlaceholder(computerPlaceholders[0], "computer")) << computerPlaceholders[0];
    for (const char* label : {"NetBIOS:", "CSName:", "COMPUTERNAME="})
        for (const std::string& value : valuesAfter(redactedLines, label))
            EXPECT_EQ(value, computerPlaceholders[0]) << label;
    const std::string userValue = valuesAfter(redactedLines, "User name:").at(0);
    const std::string userPlaceholder = userValue.substr(0, userValue.find('>') + 1);
    EXPECT_TRUE(isPlaceholder(userPlaceholder, "user")) << userValue;
    for (const std::string& profile : valuesAfter(redactedLines, "Profile:"))
        EXPECT_EQ(profile.substr(profile.rfind('\\') + 1), userPlaceholder) << profile;
    for (const std::string& value : valuesAfter(redactedLines, "USERNAME="))
        EXPECT_EQ(value, userPlaceholder);
    std::set<std::string> macPlaceholders[2];
    for (const std::string& value : valuesAfter(redactedLines, "MAC Address:"))
        macPlaceholders[0].insert(value);
    for (const std::string& value : valuesAfter(redactedLines, "Physical address. . . . . . . . . :"))
        if (!value.empty()) macPlaceholders[1].insert(value);
    EXPECT_EQ(macPlaceholders[0].size(), macs.size());
    EXPECT_EQ(macPlaceholders[0], macPlaceholders[1]);
    for (const std::string& value : macPlaceholders[0])
        EXPECT_TRUE(isPlaceholder(value, "mac")) << value;
    // The number the adapter block makes of the same address.
    for (const std::string& value : valuesAfter(redactedLines, "Adapter Addr:"))
        if (value != "0") {
            EXPECT_EQ(macPlaceholders[0].count(value), 1u) << value;
        }

    // Sections, their titles and their lines stay, but for the lists that
    // change between two runs. A title that held a value holds its placeholder.
    const std::vector<Section> before = sectionsOf(plainLines), after = sectionsOf(redactedLines);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i].title != after[i].title) {
            EXPECT_NE(after[i].title.find("<computer-"), std::string::npos)
                << before[i].title << " -> " << after[i].title;
        }
        if (!before[i].changesBetweenRuns && !after[i].changesBetweenRuns) {
            EXPECT_EQ(before[i].lines, after[i].lines) << before[i].title;
        }
    }
    EXPECT_EQ(plainLines.back(), redactedLines.back()) << "the trailer";
}

// Every other kind runs redacted to a complete file: the summary line, then
// the report as its kind begins and ends.
struct Kind {
    const char* name;
    const char* start; // nullptr: no fixed first line
    bool trailer;
};

void PrintTo(const Kind& kind, std::ostream* out) {
    *out << kind.name;
}

class RedactedKind : public ::testing::TestWithParam<Kind> {};

TEST_P(RedactedKind, RunsToACompleteFile) {
    const Kind& kind = GetParam();
    TempDir work;
    const std::string file = work.file(std::string(kind.name) + ".txt");
    const CommandRun run = runCommandLine("/report " + std::string(kind.name) + " \"" + file + "\" /redact",
                                          work.path(), work.path(), 220000);
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string text = readFileBytes(file);
    ASSERT_EQ(text.rfind("Redacted: ", 0), 0u) << text.substr(0, 300);
    const std::string report = text.substr(text.find('\n') + 1);
    if (kind.start != nullptr) {
        EXPECT_EQ(report.rfind(kind.start, 0), 0u) << report.substr(0, 300);
    }
    const size_t trailer = report.rfind("Korvexer.exe -> ");
    EXPECT_EQ(trailer != std::string::npos && report.size() - trailer < 200, kind.trailer)
        << report.substr(report.size() > 300 ? report.size() - 300 : 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RedactedKind,
                         ::testing::Values(Kind{"policies", nullptr, true},
                                           Kind{"services", " Services in CurrentControlSet:\r\n", false},
                                           Kind{"apppaths", " Microsoft Windows Application Path", true},
                                           Kind{"ie", nullptr, true},
                                           Kind{"hkcr", "HKEY_CLASSES_ROOT Registry:\r\n\r\n", true},
                                           Kind{"hkcu", "HKEY_CURRENT_USER Registry:\r\n\r\n", true},
                                           Kind{"hklm", "HKEY_LOCAL_MACHINE Registry:\r\n\r\n", true},
                                           Kind{"hku", "HKEY_USERS Registry:\r\n\r\n", true},
                                           Kind{"hkcc", "HKEY_CURRENT_CONFIG Registry:\r\n\r\n", true}),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
