// The version reader: values under the first translation of real files (one
// of ours with known values, the system's own DLLs checked against the
// system's lookup), blocks built in memory in both layouts, and damaged
// blocks, which must give whole values or none and never read outside.
#include "support/probe_process.h"
#include "support/system_version_block.h"
#include "support/temp_dir.h"
#include "support/version_block_builder.h"
#include "sysinfo/file_version_reader.h"
#include "sysinfo/version_block.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

const char* const kNames[] = {"FileDescription", "FileVersion", "ProductName", "ProductVersion"};

// What the system's own lookup answers, for comparison.
std::string systemValue(const std::string& block, const std::string& subBlock) {
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), subBlock.c_str(), reinterpret_cast<void**>(&text), &length) ||
        text == nullptr || length == 0)
        return {};
    return std::string(text);
}

// A text as the block stores it, terminator included.
std::string encodedText(const std::string& text, bool wide) {
    std::string out;
    for (const char c : text + '\0') {
        out.push_back(c);
        if (wide) out.push_back('\0');
    }
    return out;
}

std::string systemDirectory() {
    char dir[MAX_PATH + 1] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\";
}

TEST(FileVersionReader, ReadsOurProbeUnderItsFirstTranslation) {
    FileVersionReader reader;
    ASSERT_TRUE(reader.load(besideThisProgram("version_probe.exe")));
    // Language 0x0409, code page 0x04B0: the values live under "040904b0".
    EXPECT_EQ(reader.translation(), 0x040904B0u);
    EXPECT_EQ(versionblock::translationKey(reader.translation()), "040904b0");
    EXPECT_EQ(reader.fileDescription(), "Korvexer version probe");
    EXPECT_EQ(reader.fileVersion(), "1.2.3.4");
    EXPECT_EQ(reader.productName(), "Korvexer tests");
    EXPECT_EQ(reader.productVersion(), "7.8 (100% test)");
    EXPECT_EQ(reader.queryString("fileversion"), "1.2.3.4") << "keys are matched regardless of case";

    // A value only the second translation has is not found under the first...
    EXPECT_EQ(reader.queryString("PrivateBuild"), "");
    // ...though it is there, and the second table has its own description.
    EXPECT_EQ(reader.queryString("PrivateBuild", 0x040704E4), "only under the second translation");
    EXPECT_EQ(reader.queryString("FileDescription", 0x040704E4), "Versionsprobe");
    EXPECT_EQ(reader.queryString("FileDescription", 0x041104B0), "") << "no table for this translation";

    reader.release();
    EXPECT_FALSE(reader.loaded());
    EXPECT_EQ(reader.translation(), 0u);
    for (const char* name : kNames)
        EXPECT_EQ(reader.queryString(name), "") << name;
    // Loaded again after its release.
    ASSERT_TRUE(reader.load(besideThisProgram("version_probe.exe")));
    EXPECT_EQ(reader.fileVersion(), "1.2.3.4");
}

TEST(FileVersionReader, FilesWithoutAVersionResource) {
    TempDir dir;
    const std::string text = dir.file("plain.txt");
    writeFileBytes(text, "no resources in here\r\n");
    const std::string empty = dir.file("empty.dll");
    writeFileBytes(empty, "");
    for (const std::string& path : {text, empty, dir.file("missing.exe")}) {
        FileVersionReader reader;
        EXPECT_FALSE(reader.load(path)) << path;
        EXPECT_FALSE(reader.loaded());
        EXPECT_EQ(reader.translation(), 0u);
        for (const char* name : kNames)
            EXPECT_EQ(reader.queryString(name), "") << path << " " << name;
    }
    // A failed load leaves nothing of an earlier one behind.
    FileVersionReader reader;
    ASSERT_TRUE(reader.load(besideThisProgram("version_probe.exe")));
    EXPECT_FALSE(reader.load(text));
    EXPECT_EQ(reader.fileVersion(), "");
}

// Our own parse of the block against the system's lookup, on files the
// system ships (their blocks come from a resource compiler we did not write).
TEST(FileVersionReader, AgreesWithTheSystemLookupOnSystemFiles) {
    const std::string system = systemDirectory();
    std::vector<std::string> files = {besideThisProgram("version_probe.exe")};
    for (const char* name : {"kernel32.dll", "user32.dll", "version.dll", "psapi.dll", "cmd.exe", "ntdll.dll",
                             "shell32.dll", "comctl32.dll", "msvcrt.dll", "wininet.dll"})
        files.push_back(system + name);
    int compared = 0;
    for (const std::string& path : files) {
        const std::string block = systemVersionBlock(path);
        if (block.empty()) continue;
        FileVersionReader reader;
        ASSERT_TRUE(reader.load(path)) << path;
        UINT length = 0;
        WORD* pair = nullptr;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                                   reinterpret_cast<void**>(&pair), &length));
        ASSERT_GE(length, 4u);
        EXPECT_EQ(reader.translation(), static_cast<uint32_t>(pair[0]) << 16 | pair[1]) << path;
        for (const char* name : kNames) {
            const std::string subBlock =
                "\\StringFileInfo\\" + versionblock::translationKey(reader.translation()) + "\\" + name;
            EXPECT_EQ(reader.queryString(name), systemValue(block, subBlock)) << path << " " << name;
        }
        ++compared;
    }
    EXPECT_GE(compared, 5);
}

struct LayoutCase {
    const char* name;
    bool wide;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class VersionBlockLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(VersionBlockLayout, ValuesUnderTheFirstTranslationOnly) {
    const VersionNode resource = versionbuild::resource({
        {0x040904B0, {{"FileVersion", "5.1.2600.0"}, {"ProductName", "Built"}, {"Comments", ""}}},
        {0x040704E4, {{"FileVersion", "other"}, {"ProductVersion", "second only"}}},
    });
    FileVersionReader reader;
    ASSERT_TRUE(reader.loadBlock(versionbuild::node(resource, GetParam().wide)));
    EXPECT_EQ(reader.translation(), 0x040904B0u);
    EXPECT_EQ(reader.fileVersion(), "5.1.2600.0");
    EXPECT_EQ(reader.productName(), "Built");
    EXPECT_EQ(reader.queryString("Comments"), "");
    EXPECT_EQ(reader.productVersion(), "") << "present only under the second translation";
    EXPECT_EQ(reader.queryString("ProductVersion", 0x040704E4), "second only");
    EXPECT_EQ(reader.queryString("FileVersion", 0x040704E4), "other");
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, VersionBlockLayout,
                         testing::Values(LayoutCase{"Wide32Bit", true}, LayoutCase{"Narrow16Bit", false}),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(VersionBlock, NoTranslationTableNoLoad) {
    VersionNode resource = versionbuild::resource({{0x040904B0, {{"FileVersion", "1"}}}});
    resource.children.pop_back(); // VarFileInfo
    FileVersionReader reader;
    EXPECT_FALSE(reader.loadBlock(versionbuild::node(resource, true)));
    EXPECT_FALSE(reader.loaded());
    // A translation table shorter than one entry.
    resource.children.push_back({"VarFileInfo", "", false, {{"Translation", "\x09\x04", false, {}}}});
    EXPECT_FALSE(reader.loadBlock(versionbuild::node(resource, true)));
    EXPECT_FALSE(reader.loadBlock(""));
    EXPECT_FALSE(reader.loadBlock(std::string(3, '\0')));
}

// Every shorter piece of a valid block: each value is either found whole or
// not at all, and a value is found whenever the piece still holds it and
// its terminator.
TEST(VersionBlock, TruncatedBlocksGiveWholeValuesOrNone) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"FileDescription", "A description of some length"},
        {"FileVersion", "10.0.19041.1"},
        {"ProductName", "Truncation"},
        {"ProductVersion", "10.0"}};
    for (const bool wide : {true, false}) {
        const std::string whole = versionbuild::node(versionbuild::resource({{0x040904B0, values}}), wide);
        for (size_t cut = 0; cut <= whole.size(); ++cut) {
            const std::string piece = whole.substr(0, cut);
            for (const auto& [name, value] : values) {
                const auto found = versionblock::findString(piece, 0x040904B0, name);
                if (!found) continue;
                const std::string text =
                    found->isWide ? std::string(found->wide.begin(), found->wide.end()) : found->narrow;
                EXPECT_EQ(text, value) << "wide " << wide << ", cut at " << cut;
            }
        }
        for (const auto& [name, value] : values) {
            // Where the value's terminator ends in the whole block.
            const std::string encoded = encodedText(value, wide);
            ASSERT_NE(whole.find(encoded), std::string::npos);
            const size_t end = whole.find(encoded) + encoded.size();
            EXPECT_TRUE(versionblock::findString(whole.substr(0, end), 0x040904B0, name)) << name;
            EXPECT_FALSE(versionblock::findString(whole.substr(0, end - 1), 0x040904B0, name)) << name;
        }
    }
}

// Lengths that lie: no hang, no read outside, no value from outside its node.
TEST(VersionBlock, LyingLengthsAreContained) {
    const std::string good = versionbuild::node(
        versionbuild::resource({{0x040904B0, {{"FileVersion", "1.0"}, {"ProductName", "Lies"}}}}), true);
    ASSERT_TRUE(versionblock::findString(good, 0x040904B0, "ProductName"));
    const size_t product = good.find(std::string("P\0r\0o\0d\0u\0c\0t\0N", 15)) - 6; // the node's header
    struct Case {
        const char* what;
        size_t offset;
        unsigned word;
    };
    const Case cases[] = {
        {"root length zero", 0, 0},
        {"root length below its header", 0, 5},
        {"root length beyond the block", 0, 0xFFFF},
        {"value node of length zero", product, 0},
        {"value node longer than its table", product, 0xFFF0},
        {"value length beyond the node", product + 2, 0x7FFF},
    };
    for (const Case& c : cases) {
        std::string bad = good;
        bad[c.offset] = static_cast<char>(c.word & 0xFF);
        bad[c.offset + 1] = static_cast<char>(c.word >> 8);
        for (const char* name : {"FileVersion", "ProductName"}) {
            const auto found = versionblock::findString(bad, 0x040904B0, name);
            if (found) {
                EXPECT_TRUE(found->wide == u"1.0" || found->wide == u"Lies") << c.what << " " << name;
            }
        }
    }
    // A key without its terminator up to the end of the block.
    std::string keyless(6, '\0');
    keyless[0] = 40;
    for (int i = 0; i < 17; ++i)
        keyless += "V\0"[i % 2];
    EXPECT_FALSE(versionblock::firstTranslation(keyless));
    EXPECT_FALSE(versionblock::findString(keyless, 0, "FileVersion"));
}

} // namespace
