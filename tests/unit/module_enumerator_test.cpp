// Module listing through both bindings (Wine has psapi and the tool-help
// functions, so each can be forced and compared), the module table's order
// and line format, and processes that are gone.
#include "support/probe_process.h"
#include "support/this_program.h"
#include "sysinfo/file_version_reader.h"
#include "sysinfo/module_enumerator.h"
#include "sysinfo/module_table.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using moduletable::compareMultibyte;
using moduletable::insertInOrder;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        out.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

std::vector<std::string> columns(const std::string& line) {
    std::vector<std::string> out;
    size_t at = 0;
    while (true) {
        const size_t tab = line.find('\t', at);
        out.push_back(line.substr(at, tab - at));
        if (tab == std::string::npos) return out;
        at = tab + 1;
    }
}

bool noLeadBytes(unsigned char) {
    return false;
}

// Code page 932 (Japanese): lead bytes 0x81-0x9F and 0xE0-0xFC.
bool shiftJisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(ModuleTable, InsertionKeepsAscendingOrderAndEqualPaths) {
    std::vector<std::string> list;
    for (const char* path : {"C:\\B.DLL", "C:\\A.DLL", "C:\\C.DLL", "C:\\A.DLL", "C:\\AB.DLL", "C:\\"})
        insertInOrder(list, path, noLeadBytes);
    const std::vector<std::string> expected = {"C:\\",       "C:\\A.DLL", "C:\\A.DLL",
                                               "C:\\AB.DLL", "C:\\B.DLL", "C:\\C.DLL"};
    EXPECT_EQ(list, expected);
    // Two paths that differ only in case are two equal lines once upper-cased.
    std::vector<std::string> cased;
    insertInOrder(cased, upper("c:\\windows\\Mixed.dll"), noLeadBytes);
    insertInOrder(cased, upper("C:\\WINDOWS\\mixed.DLL"), noLeadBytes);
    ASSERT_EQ(cased.size(), 2u);
    EXPECT_EQ(cased[0], cased[1]);
}

TEST(ModuleTable, MultibyteComparisonTakesADoubleByteCharacterWhole) {
    // Bytes above 0x7F compare unsigned.
    EXPECT_LT(compareMultibyte("A", "\xC4", noLeadBytes), 0);
    EXPECT_EQ(compareMultibyte("same", "same", shiftJisLead), 0);
    EXPECT_LT(compareMultibyte("ab", "abc", shiftJisLead), 0);
    EXPECT_GT(compareMultibyte("abc", "ab", shiftJisLead), 0);
    // Half-width katakana 0xB1 (one byte) against the double-byte 0x82 0xA0:
    // byte by byte 0x82 comes first; as characters 0x82A0 comes after 0xB1.
    EXPECT_LT(compareMultibyte("\x82\xA0", "\xB1", noLeadBytes), 0);
    EXPECT_GT(compareMultibyte("\x82\xA0", "\xB1", shiftJisLead), 0);
    // A trail byte that looks like a backslash belongs to its character.
    EXPECT_GT(compareMultibyte("\x83\x5C", "\x83", shiftJisLead), 0);
    // A lead byte with nothing after it stands alone.
    EXPECT_LT(compareMultibyte("\x83", "\x83\x41", shiftJisLead), 0);
}

TEST(ModuleTable, LineColumnsSizeAndTime) {
    moduletable::ModuleFacts facts;
    facts.path = "C:\\WINDOWS\\SYSTEM32\\KERNEL32.DLL";
    facts.fileVersion = "5.1.2600.5512";
    facts.fileDescription = "Windows NT BASE API Client DLL";
    facts.productName = "Microsoft\tWindows\r\nOperating System"; // from someone else's resource
    facts.productVersion = "5.1.2600.5512";
    facts.fileKnown = true;
    facts.size = 5000000000ull; // beyond 32 bits
    facts.modified = {2008, 4, 14, 7, 5, 9};
    EXPECT_EQ(moduletable::moduleLine(facts),
              "C:\\WINDOWS\\SYSTEM32\\KERNEL32.DLL\t5.1.2600.5512\t5000000000\t"
              "April 14, 2008 07:05:09\tWindows NT BASE API Client DLL\t"
              "Microsoft Windows  Operating System\t5.1.2600.5512\n");
    // Not examined, no version data: "?" for size and time, empty fields in a row.
    moduletable::ModuleFacts bare;
    bare.path = "C:\\GONE.DLL";
    EXPECT_EQ(moduletable::moduleLine(bare), "C:\\GONE.DLL\t\t?\t?\t\t\t\n");
    EXPECT_EQ(moduletable::formatModifiedTime({1999, 12, 31, 23, 59, 58}), "December 31, 1999 23:59:58");
    EXPECT_EQ(moduletable::formatModifiedTime({2024, 1, 5, 0, 0, 0}), "January 05, 2024 00:00:00");
}

struct BindingCase {
    const char* name;
    ModuleBinding binding;
    ModuleVariant variant;
};

void PrintTo(const BindingCase& c, std::ostream* out) {
    *out << c.name;
}

class ModuleBindings : public testing::TestWithParam<BindingCase> {};

TEST_P(ModuleBindings, ListsThisProcessSortedAndUpperCased) {
    ModuleEnumerator enumerator(GetParam().binding);
    ASSERT_EQ(enumerator.variant(), GetParam().variant);
    std::vector<std::string> modules = {"left over"};
    ASSERT_TRUE(enumerator.listModules(0, modules));
    EXPECT_TRUE(std::find(modules.begin(), modules.end(), upper(thisProgram())) != modules.end())
        << "this program itself";
    EXPECT_TRUE(std::any_of(modules.begin(), modules.end(), [](const std::string& m) {
        return m.find("\\KERNEL32.DLL") != std::string::npos;
    }));
    EXPECT_TRUE(
        std::is_sorted(modules.begin(), modules.end(), [](const std::string& a, const std::string& b) {
            return compareMultibyte(a, b, noLeadBytes) < 0;
        }));
    for (const std::string& m : modules)
        EXPECT_EQ(m, upper(m));
    // Our own id names the same process as 0.
    std::vector<std::string> byId;
    ASSERT_TRUE(enumerator.listModules(GetCurrentProcessId(), byId));
    EXPECT_EQ(byId, modules);
}

TEST_P(ModuleBindings, DescribesAnotherProcessWithItsVersionData) {
    ProbeProcess probe;
    ASSERT_TRUE(probe.ready());
    ModuleEnumerator enumerator(GetParam().binding);
    const std::string table = enumerator.describeModules(probe.id());
    const std::string exe = upper(besideThisProgram("version_probe.exe"));
    const std::vector<std::string> rows = lines(table);
    ASSERT_GE(rows.size(), 2u) << table;
    bool sawProbe = false;
    for (const std::string& row : rows) {
        const std::vector<std::string> cols = columns(row);
        ASSERT_EQ(cols.size(), 7u) << row;
        if (cols[0] != exe) continue;
        sawProbe = true;
        EXPECT_EQ(cols[1], "1.2.3.4");
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(cols[2], std::to_string(data.nFileSizeLow));
        EXPECT_NE(cols[3], "?");
        EXPECT_EQ(cols[4], "Korvexer version probe");
        EXPECT_EQ(cols[5], "Korvexer tests");
        EXPECT_EQ(cols[6], "7.8 (100% test)");
    }
    EXPECT_TRUE(sawProbe) << table;
}

TEST_P(ModuleBindings, AProcessThatHasEndedListsNothing) {
    ProbeProcess probe;
    ASSERT_TRUE(probe.ready());
    probe.end();
    ModuleEnumerator enumerator(GetParam().binding);
    std::vector<std::string> modules = {"left over"};
    EXPECT_FALSE(enumerator.listModules(probe.id(), modules));
    EXPECT_TRUE(modules.empty());
    EXPECT_EQ(enumerator.describeModules(probe.id()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Forced, ModuleBindings,
    testing::Values(BindingCase{"ProcessStatus", ModuleBinding::ProcessStatus, ModuleVariant::ProcessStatus},
                    BindingCase{"ToolHelp", ModuleBinding::ToolHelp, ModuleVariant::ToolHelp}),
    [](const testing::TestParamInfo<BindingCase>& info) { return info.param.name; });

TEST(ModuleEnumerator, BothBindingsListTheSameModules) {
    ProbeProcess probe;
    ASSERT_TRUE(probe.ready());
    ModuleEnumerator processStatus(ModuleBinding::ProcessStatus), toolHelp(ModuleBinding::ToolHelp);
    for (const DWORD id : {DWORD{0}, probe.id()}) {
        std::vector<std::string> a, b;
        ASSERT_TRUE(processStatus.listModules(id, a));
        ASSERT_TRUE(toolHelp.listModules(id, b));
        EXPECT_EQ(a, b) << "process " << id;
    }
}

TEST(ModuleEnumerator, EachFileExaminedOnceWithACache) {
    ProbeProcess probe;
    ASSERT_TRUE(probe.ready());
    ModuleEnumerator enumerator;
    ModuleFactsCache examined;
    const std::string plain = enumerator.describeModules(probe.id());
    EXPECT_EQ(enumerator.describeModules(probe.id(), &examined), plain);
    EXPECT_EQ(examined.size(), lines(plain).size());
    // What the cache holds is taken as it stands: the file is not read again.
    const std::string exe = upper(besideThisProgram("version_probe.exe"));
    ASSERT_EQ(examined.count(exe), 1u);
    examined[exe].fileVersion = "from the cache";
    const std::string again = enumerator.describeModules(probe.id(), &examined);
    EXPECT_NE(again.find(exe + "\tfrom the cache\t"), std::string::npos) << again;
    EXPECT_EQ(lines(again).size(), lines(plain).size());
}

const char* variantName(ModuleVariant variant) {
    switch (variant) {
    case ModuleVariant::ProcessStatus:
        return "ProcessStatus";
    case ModuleVariant::ToolHelp:
        return "ToolHelp";
    case ModuleVariant::None:
        break;
    }
    return "None";
}

// The binding the platform identifier asks for: process status on the NT
// family, tool help on Windows 95, 98 and ME.
ModuleVariant variantForThisSystem() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return ModuleVariant::None;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT ? ModuleVariant::ProcessStatus
                                                         : ModuleVariant::ToolHelp;
}

// Run as it is by the unit suite (Wine claims the NT family) and again in a
// prefix where Wine claims to be Windows 98, whose script names the binding
// it expects in KORVEXER_EXPECT_BINDING.
TEST(ModuleEnumerator, TheBindingOfThisSystemListsThisProgram) {
    ModuleEnumerator enumerator;
    EXPECT_EQ(variantName(enumerator.variant()), std::string(variantName(variantForThisSystem())));
    char expected[32] = {};
    if (GetEnvironmentVariableA("KORVEXER_EXPECT_BINDING", expected, sizeof expected - 1) > 0) {
        EXPECT_STREQ(variantName(enumerator.variant()), expected);
    }
    std::vector<std::string> modules;
    ASSERT_TRUE(enumerator.listModules(0, modules));
    EXPECT_TRUE(std::find(modules.begin(), modules.end(), upper(thisProgram())) != modules.end());
    EXPECT_TRUE(std::any_of(modules.begin(), modules.end(), [](const std::string& m) {
        return m.find("\\KERNEL32.DLL") != std::string::npos;
    }));
    // The table of this process: one line of seven columns per module.
    const std::vector<std::string> rows = lines(enumerator.describeModules(0));
    ASSERT_EQ(rows.size(), modules.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string> cols = columns(rows[i]);
        ASSERT_EQ(cols.size(), 7u) << rows[i];
        EXPECT_EQ(cols[0], modules[i]);
    }
}

TEST(ModuleEnumerator, ChoosesByPlatformAndRebinds) {
    ModuleEnumerator enumerator;
    EXPECT_EQ(enumerator.variant(), variantForThisSystem());
    enumerator.bind(ModuleBinding::ToolHelp);
    EXPECT_EQ(enumerator.variant(), ModuleVariant::ToolHelp);
    std::vector<std::string> modules;
    EXPECT_TRUE(enumerator.listModules(0, modules));
    enumerator.bind(ModuleBinding::ProcessStatus);
    EXPECT_EQ(enumerator.variant(), ModuleVariant::ProcessStatus);
    EXPECT_TRUE(enumerator.listModules(0, modules));
}

TEST(ModuleEnumerator, NoSuchProcess) {
    ModuleEnumerator enumerator;
    std::vector<std::string> modules;
    // Ids are multiples of four; this one is never given out.
    EXPECT_FALSE(enumerator.listModules(0xFFFFFFF3u, modules));
    EXPECT_EQ(enumerator.describeModules(0xFFFFFFF3u), "");
}

} // namespace
