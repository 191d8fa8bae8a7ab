#include "registry/registry_access.h"
#include "registry/registry_dumper.h"
#include "report/text_format.h"
#include "support/temp_dir.h"
#include "support/test_context.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

namespace {

// Sends the walker's registry calls through one family for a scope.
struct ForcedInterface {
    explicit ForcedInterface(bool ansi) { reg::forceAnsi(ansi); }
    ~ForcedInterface() { reg::forceAnsi(false); }
};

struct Walker : ::testing::Test {
    TestKey key;
    TempDir dir;
    TestContext context;
    WalkState state;
    Walker() { resetWalkerMemory(); }
    // The report as the view shows it: every "\n" as "\r\n".
    std::string walk(const char* suffix = ":") {
        context.report.clear();
        RegistryDumper(context, state).walk(HKEY_CURRENT_USER, key.handle(), "T", suffix);
        return expandLineFeeds(context.report);
    }
};

TEST_F(Walker, KeyWithTwoValuesReachedFromItsParent) {
    key.setString("Leaf", "A Path", "C:\\x");
    DWORD seven = 7;
    key.setBytes("Leaf", "B Count", REG_DWORD, &seven, 4);
    state.printHeaders = true;
    EXPECT_EQ(walk(), "\r\n   Key: T\\Leaf\r\n\t A Path: C:\\x\r\n\t B Count: 00000007\r\n");
}

TEST_F(Walker, SubtreeComesBeforeTheKeysOwnValues) {
    key.setString("Parent\\Child", "c", "1");
    key.setString("Parent", "p", "2");
    state.printHeaders = true;
    EXPECT_EQ(walk(""), "\r\n   Key: T\\Parent"
                        "\r\n   Key: T\\Parent\\Child\r\n\t c 1\r\n"
                        "\r\n\r\n   Key: T\\Parent \r\n\t p 2\r\n");
}

TEST_F(Walker, EachKeysDefaultValueFollowsItsOwnHeaderOnce) {
    key.setString("WithDefault", "", "the default");
    key.setString("WithDefault\\One", "v", "1");
    key.setString("WithDefault\\Two", "v", "2");
    state.printHeaders = true;
    const std::string out = walk();
    EXPECT_EQ(out, "\r\n   Key: T\\WithDefault \r\n\t Unnamed registry key (Default): the default\r\n"
                   "\r\n   Key: T\\WithDefault\\One\r\n\t v: 1\r\n"
                   "\r\n   Key: T\\WithDefault\\Two\r\n\t v: 2\r\n"
                   // The unnamed value alone still opens the key's values block.
                   "\r\n\r\n   Key: T\\WithDefault \r\n");
}

TEST_F(Walker, WithoutHeadersOnlyValuesArePrinted) {
    key.setString("A", "v", "1");
    EXPECT_EQ(walk(), "\r\n\r\n   Key: T\\A \r\n\t v: 1\r\n");
}

TEST_F(Walker, HaltBeforeTheCallPrintsNothingButCountsTheVisit) {
    key.setString("A", "v", "1");
    state.printHeaders = true;
    context.halt = true;
    EXPECT_EQ(walk(), "");
    EXPECT_EQ(state.keysVisited, 1);
}

TEST_F(Walker, CollectingTopLevelNamesPrintsNothingAndDoesNotDescend) {
    key.setString("First\\Deep", "v", "1");
    key.setString("M\xfcnchen", "v", "1");
    key.setString("Second", "v", "1");
    // The keys list is read back to reopen the keys: UTF-8 through the wide
    // calls, the ANSI code page through the single-byte ones.
    struct Case {
        bool ansi;
        std::string list;
    } cases[] = {{false, "First\nM\xc3\xbcnchen\nSecond\n"}, {true, "First\nM\xfcnchen\nSecond\n"}};
    for (const Case& c : cases) {
        ForcedInterface forced(c.ansi);
        WalkState collecting;
        collecting.printHeaders = true;
        collecting.showProgress = true;
        collecting.collectToKeysFile = true;
        collecting.collectToList = true;
        collecting.topLevelCapacity = 10;
        const std::string list = dir.file("keys");
        collecting.keysListPath = list;
        TestContext quiet;
        RegistryDumper(quiet, collecting).walk(HKEY_CURRENT_USER, key.handle(), "", "");
        EXPECT_EQ(quiet.report, "") << "nothing was printed";
        EXPECT_EQ(collecting.topLevelNames, (std::vector<std::string>{"First", "M\xfcnchen", "Second"}));
        EXPECT_EQ(collecting.topLevelSeen, 3);
        EXPECT_EQ(collecting.keysVisited, 1) << "no descent";
        EXPECT_EQ(readFileBytes(list), c.list) << c.ansi;
        DeleteFileA(list.c_str());
    }
}

// Both families of registry calls must give the same report wherever the
// ANSI code page can show the names: Windows 95 to ME only have the
// single-byte ones.
TEST_F(Walker, WideAndSingleByteCallsGiveTheSameReport) {
    ASSERT_EQ(fromAnsi("\xe9\xfc\xc4"), L"\u00e9\u00fc\u00c4") << "the test needs a Latin-1 ANSI code page";
    key.setString("", "Caf\xe9 name", "cr\r\nlf \xe9");
    DWORD count = 0x2a;
    key.setBytes("", "Count", REG_DWORD, &count, 4);
    const unsigned char bigEndian[] = {0x12, 0x34, 0x56, 0x78};
    key.setBytes("", "Big endian", REG_DWORD_BIG_ENDIAN, bigEndian, 4);
    const unsigned char qword[] = {1, 2, 3, 4, 5, 6, 7, 8};
    key.setBytes("", "Quad", REG_QWORD, qword, 8);
    key.setBytes("", "Nothing", REG_NONE, qword, 2);
    std::vector<BYTE> bytes(40000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<BYTE>(i * 7);
    // Too large to come along with its name on either side: read by name.
    key.setBytes("", "Large blob", REG_BINARY, bytes.data(), 40000);
    key.setBytes("", "Small blob", REG_BINARY, bytes.data(), 20);
    // Along with its name as single bytes, but not as UTF-16.
    key.setString("", "Long text", std::string(20000, 'w'));
    key.setString("", "Path", "%SystemRoot%\\x", REG_EXPAND_SZ);
    const char multi[] = "one\0tw\xf6\0\0";
    key.setBytes("", "Multi", REG_MULTI_SZ, multi, sizeof multi);
    key.setString("Plain", "", "plain default");
    key.setString("Plain", "v", "1");
    key.setString("Nested\\Deeper", "deep", "2");
    key.setString("Nested", "own", "3");
    const std::string latin = "\304rger \374ber";
    key.setString(latin, "", "d\351faut");
    key.setString(latin, "Gr\366\337e", "gro\xdf");
    RegCloseKey(key.create("Empty"));
    state.printHeaders = true;

    const std::string wide = walk();
    std::string single;
    {
        ForcedInterface forced(true);
        resetWalkerMemory();
        single = walk();
    }
    EXPECT_EQ(single, wide);
    const std::string parts[] = {
        "\r\n   Key: T\\" + latin + " \r\n\t Unnamed registry key (Default): d\351faut\r\n",
        "\r\n   Key: T\\Plain \r\n\t Unnamed registry key (Default): plain default\r\n",
        "\r\n   Key: T\\Nested\r\n   Key: T\\Nested\\Deeper\r\n\t deep: 2\r\n",
        "\r\n   Key: T\\Empty",
        "\t Count: 0000002a\r\n",
        "\t Big endian: 12345678\r\n",
        "\t Large blob:  : Huge KEY Data -> Data Size: 40000 Bytes\r\n",
        "\t Long text:  : Huge KEY Data -> Data Size: 20001 Bytes\r\n",
        "\t Small blob: \r\n\t 00 07 0e ",
        "\t Multi: \r\n\tone\r\n\ttw\xf6\r\n",
        "\t Quad: Invalid type code\r\n",
        "\t Nothing: Undefined value type\r\n",
        "\t Caf\xe9 name: crlf \xe9\r\n",
        "\t Path: %SystemRoot%\\x\r\n",
    };
    for (const std::string& part : parts)
        EXPECT_NE(wide.find(part), std::string::npos) << part << "\nin:\n" << wide;
}

// The switch really selects the single-byte calls: through them a name the
// code page cannot hold comes back altered and cannot be reopened.
TEST_F(Walker, SingleByteCallsReachOnlyWhatTheCodePageHolds) {
    const std::wstring name = L"\u03a9mega";
    const std::string shown = toAnsi(name);
    ASSERT_NE(fromAnsi(shown), name) << "the test needs an ANSI code page without Greek";
    HKEY omega = nullptr;
    const LONG created =
        RegCreateKeyExW(key.handle(), name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &omega, nullptr);
    ASSERT_EQ(created, ERROR_SUCCESS);
    RegSetValueExW(omega, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 2 * sizeof(wchar_t));
    RegCloseKey(omega);
    state.printHeaders = true;
    EXPECT_EQ(walk(), "\r\n   Key: T\\" + shown + "\r\n\t v: 1\r\n");
    ForcedInterface forced(true);
    const std::string single = walk();
    EXPECT_EQ(single.rfind("\r\n   Key: T\\", 0), 0u) << single;
    EXPECT_EQ(single.find("v: 1"), std::string::npos) << "header only: the key cannot be opened by that name";
}

// Every call a new second: the status line may change at each subkey.
int tickingClock() {
    static int second = 1000;
    return ++second;
}

// What follows the dots of a walker frame: the progress text and " %", or a
// blank in the plain family.
std::string frameTail(const std::string& frame) {
    const size_t wait = frame.find("please Wait");
    if (wait == std::string::npos) return "<" + frame + ">";
    return frame.substr(frame.find_first_not_of('.', wait + 11));
}

TEST_F(Walker, StatusLineShowsTheSubkeyVisitedLastOutsideAPrintingPass) {
    for (const char* sub : {"A", "B", "C"})
        key.setString(sub, "v", "1");
    struct Case {
        const char* name;
        bool services;
        bool printingPass;
        std::vector<std::string> tails;
    } cases[] = {
        // A registry section of the common report: headers on, no top-level list.
        {"common report", false, false, {"  T\\A %", "  T\\B %"}},
        {"services dump", true, false, {" ", " "}},
        // A hive dump places the key among the hive's top-level names instead.
        {"hive printing pass", false, true, {"  0 to 1 %", "  0 to 1 %", "  0 to 1 %"}},
    };
    for (const Case& c : cases) {
        TestContext walkingContext;
        WalkState walking;
        walking.showProgress = true;
        walking.servicesMode = c.services;
        walking.printHeaders = true;
        if (c.printingPass) {
            walking.topLevelNames = {"T"};
            walking.topLevelPending = {0};
            walking.topLevelCount = 1;
        }
        RegistryDumper(walkingContext, walking, tickingClock).walk(HKEY_CURRENT_USER, key.handle(), "T", "");
        std::vector<std::string> tails;
        for (const std::string& frame : walkingContext.statusLine.shown)
            tails.push_back(frameTail(frame));
        EXPECT_EQ(tails, c.tails) << c.name;
    }
}

TEST(WalkerProgress, TopLevelPercentages) {
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("Key" + std::to_string(i));
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Key10\\Sub"), "22 to 25");
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Key1"), "0 to 1");
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Key0\\x"), "0 to 1");
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Other"), "");
    std::vector<std::string> many;
    for (int i = 0; i < 200; ++i)
        many.push_back("K" + std::to_string(i));
    EXPECT_EQ(RegistryDumper::topLevelProgress(many, 200, "K25"), "12 to 13");
}

} // namespace
