// /compare end to end under Wine: reports of this prefix written by /report,
// compared unchanged (exit 0, no entries), with changes planted between the
// runs (exactly those entries under their sections, exit 1), and across kinds
// (exit 2, one line on standard error). What is planted is undone after.
#include "automation.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using automation::CommandRun;
using automation::runCommandLine;

constexpr int kReportTimeoutMs = 180000;
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValue = "KorvexerCompareTest";
const char* const kFileType = ".kvcompare";
const char* const kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\KorvexerCompareTest";

struct CompareRun : ::testing::Test {
    TempDir work;

    std::string writeReport(const char* kind, const std::string& name) {
        const std::string file = work.file(name);
        const CommandRun run = runCommandLine("/report " + std::string(kind) + " \"" + file + "\"",
                                              work.path(), work.path(), kReportTimeoutMs);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        return file;
    }

    CommandRun compare(const std::string& a, const std::string& b, const std::string& out = {}) {
        std::string args = "/compare \"" + a + "\" \"" + b + "\"";
        if (!out.empty()) args += " \"" + out + "\"";
        return runCommandLine(args, work.path(), work.path(), 60000);
    }
};

// The section lines and entry lines of a comparison, in order.
std::vector<std::string> entriesOf(const std::string& text) {
    std::vector<std::string> out;
    bool inBody = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        if (!line.empty() && line[0] == '[') inBody = true;
        if (inBody && !line.empty() && (line[0] == '[' || line.rfind("  ", 0) == 0)) out.push_back(line);
    }
    return out;
}

void setString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
}

void setNumber(HKEY root, const std::string& key, const char* name, DWORD value) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(h);
}

void deleteValue(HKEY root, const char* key, const char* name) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
    RegDeleteValueA(h, name);
    RegCloseKey(h);
}

// What the test plants, taken away however the test ends.
struct Planted {
    ~Planted() {
        deleteValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kFileType);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kServiceKey);
    }
};

TEST_F(CompareRun, CommonReportsUnchangedAndWithPlantedChanges) {
    Planted planted;
    // A file type of the test's own, so that removing it touches nothing else.
    setString(HKEY_CLASSES_ROOT, kFileType, nullptr, "kvcomparefile");
    const std::string a = writeReport("common", "a.txt");
    const std::string b = writeReport("common", "b.txt");
    ASSERT_FALSE(HasFailure());

    const CommandRun same = compare(a, b);
    EXPECT_EQ(same.exitCode, 0u) << same.out << same.err;
    EXPECT_EQ(entriesOf(same.out), std::vector<std::string>{}) << same.out;
    EXPECT_NE(same.out.find("No differences."), std::string::npos) << same.out;
    EXPECT_EQ(same.err, "");

    setString(HKEY_CURRENT_USER, kRunKey, kRunValue, "C:\\korvexer\\compare test.exe");
    ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, kFileType), ERROR_SUCCESS);
    const std::string c = writeReport("common", "c.txt");
    ASSERT_FALSE(HasFailure());

    const CommandRun changed = compare(a, c);
    EXPECT_EQ(changed.exitCode, 1u) << changed.out << changed.err;
    const std::vector<std::string> expected = {
        "[Microsoft Windows current user Application Run at startup - keys and values:]",
        "  added:   value SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run: KorvexerCompareTest = "
        "C:\\korvexer\\compare test.exe",
        "[Known file Types:]",
        "  removed: file type .kvcompare = kvcomparefile",
    };
    EXPECT_EQ(entriesOf(changed.out), expected) << changed.out;

    // Into a file: the same text, and nothing on standard output.
    const std::string out = work.file("a to c.txt");
    const CommandRun toFile = compare(a, c, out);
    EXPECT_EQ(toFile.exitCode, 1u) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(readFileBytes(out), changed.out);

    // Reports of different kinds: trouble, told in one line.
    const std::string hkcc = writeReport("hkcc", "hkcc.txt");
    const CommandRun kinds = compare(a, hkcc);
    EXPECT_EQ(kinds.exitCode, 2u) << kinds.out;
    EXPECT_EQ(kinds.out, "");
    EXPECT_NE(kinds.err.find("different kinds"), std::string::npos) << kinds.err;
    EXPECT_EQ(kinds.err.find('\n'), kinds.err.size() - 1) << "one line: " << kinds.err;

    const CommandRun missing = compare(a, work.file("no such report.txt"));
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
}

TEST_F(CompareRun, ServicesReportsWithAStartTypeChanged) {
    Planted planted;
    // A service of the test's own that never runs: its start type is all that changes.
    setNumber(HKEY_LOCAL_MACHINE, kServiceKey, "Start", 3);
    setNumber(HKEY_LOCAL_MACHINE, kServiceKey, "Type", 16);
    const std::string before = writeReport("services", "services before.txt");
    setNumber(HKEY_LOCAL_MACHINE, kServiceKey, "Start", 4);
    const std::string after = writeReport("services", "services after.txt");
    ASSERT_FALSE(HasFailure());

    const CommandRun run = compare(before, after);
    EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
    const std::vector<std::string> expected = {
        "[Services in CurrentControlSet:]",
        "  changed: value SYSTEM\\CurrentControlSet\\Services\\KorvexerCompareTest: Start: 00000003 -> "
        "00000004",
    };
    EXPECT_EQ(entriesOf(run.out), expected) << run.out;
}

TEST_F(CompareRun, HiveDumpsWithAKeyAddedAndAValueChanged) {
    TestKey key;
    key.setString("", "Setting", "first");
    key.setString("Kept", "Name", "unchanged");
    const std::string before = writeReport("hkcu", "hkcu before.txt");
    key.setString("", "Setting", "second");
    key.setString("Added", "One", "1");
    key.setString("Added\\Below", "Two", "2");
    const std::string after = writeReport("hkcu", "hkcu after.txt");
    ASSERT_FALSE(HasFailure());

    const CommandRun run = compare(before, after);
    EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
    const std::vector<std::string> expected = {
        "[HKEY_CURRENT_USER Registry:]",
        "  added:   key " + key.path() + "\\Added (with 3 entries under it)",
        "  changed: value " + key.path() + ": Setting: first -> second",
    };
    EXPECT_EQ(entriesOf(run.out), expected) << run.out;
}

TEST_F(CompareRun, RefusedLineIsTroubleWithOneLine) {
    for (const char* arguments : {"/compare only-one.txt", "/compare a.txt b.txt c.txt d.txt"}) {
        const CommandRun run = runCommandLine(arguments, work.path(), work.path(), 60000);
        EXPECT_EQ(run.exitCode, 2u) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(run.err.rfind("Korvexer: ", 0), 0u) << arguments << ": " << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << arguments << ": " << run.err;
    }
}

// The comparison written over one of its reports would destroy it: refused
// before anything is written, however the two names are spelt.
TEST_F(CompareRun, OutputThatIsOneOfTheReportsIsRefused) {
    const std::string report = "HKEY_USERS Registry:\r\n\r\n   Key: .Default\r\n\r\n" + std::string(75, '=') +
                               "\r\nKorvexer.exe -> everything about this Windows machine\r\n";
    const std::string a = work.file("a.txt");
    const std::string b = work.file("b.txt");
    writeFileBytes(a, report);
    writeFileBytes(b, report);
    struct Spelling {
        std::string oldFile, newFile, out;
    };
    for (const Spelling& s :
         {Spelling{a, b, a}, Spelling{"a.txt", b, work.file("A.TXT")}, Spelling{a, "b.txt", ".\\B.txt"}}) {
        const CommandRun run = compare(s.oldFile, s.newFile, s.out);
        EXPECT_EQ(run.exitCode, 2u) << s.out;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_EQ(readFileBytes(a), report) << s.out;
        EXPECT_EQ(readFileBytes(b), report) << s.out;
    }
}

} // namespace
