#include "app/controller_state.h"
#include "registry/registry_dumper.h"
#include "support/fake_view.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

namespace {

struct Walker : ::testing::Test {
    TestKey key;
    FakeView view;
    ControllerState state;
    Walker() {
        state.view = &view;
        resetWalkerMemory();
    }
    std::string walk(const char* suffix = ":") {
        view.content.clear();
        RegistryDumper(state).walk(HKEY_CURRENT_USER, key.handle(), "T", suffix);
        return view.content;
    }
};

TEST_F(Walker, KeyWithTwoValuesReachedFromItsParent) {
    key.setString("Leaf", "A Path", "C:\\x");
    DWORD seven = 7;
    key.setBytes("Leaf", "B Count", REG_DWORD, &seven, 4);
    state.printKeyHeaders = 1;
    EXPECT_EQ(walk(), "\r\n   Key: T\\Leaf\r\n\t A Path: C:\\x\r\n\t B Count: 00000007\r\n");
}

TEST_F(Walker, SubtreeComesBeforeTheKeysOwnValues) {
    key.setString("Parent\\Child", "c", "1");
    key.setString("Parent", "p", "2");
    state.printKeyHeaders = 1;
    EXPECT_EQ(walk(""), "\r\n   Key: T\\Parent"
                        "\r\n   Key: T\\Parent\\Child\r\n\t c 1\r\n"
                        "\r\n\r\n   Key: T\\Parent \r\n\t p 2\r\n");
}

TEST_F(Walker, EachKeysDefaultValueFollowsItsOwnHeaderOnce) {
    key.setString("WithDefault", "", "the default");
    key.setString("WithDefault\\One", "v", "1");
    key.setString("WithDefault\\Two", "v", "2");
    state.printKeyHeaders = 1;
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
    state.printKeyHeaders = 1;
    state.haltRequested = 1;
    EXPECT_EQ(walk(), "");
    EXPECT_EQ(state.keysVisited, 1);
}

TEST_F(Walker, CollectingTopLevelNamesPrintsNothingAndDoesNotDescend) {
    key.setString("First\\Deep", "v", "1");
    key.setString("Second", "v", "1");
    state.collectorRunning = 1;
    state.collectToKeysFile = 1;
    state.collectToList = 1;
    state.topLevelCapacity = 10;
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string list = std::string(temp) + "korvexer_walker_keys_" + std::to_string(GetCurrentProcessId());
    state.keysListPath.set(list);
    state.reportPath.set(list + ".report");
    RegistryDumper(state).walk(HKEY_CURRENT_USER, key.handle(), "", "");
    state.reportFile.close();
    EXPECT_EQ(view.content, "");
    EXPECT_EQ(GetFileAttributesA((list + ".report").c_str()), INVALID_FILE_ATTRIBUTES) << "nothing was printed";
    EXPECT_EQ(state.topLevelNames, (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(state.topLevelSeen, 2);
    EXPECT_EQ(state.keysVisited, 1) << "no descent";
    DeleteFileA(list.c_str());
}

TEST(WalkerProgress, TopLevelPercentages) {
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) names.push_back("Key" + std::to_string(i));
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Key10\\Sub"), "22 to 25");
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Key1"), "0 to 1");
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Key0\\x"), "0 to 1");
    EXPECT_EQ(RegistryDumper::topLevelProgress(names, 40, "Other"), "");
    std::vector<std::string> many;
    for (int i = 0; i < 200; ++i) many.push_back("K" + std::to_string(i));
    EXPECT_EQ(RegistryDumper::topLevelProgress(many, 200, "K25"), "12 to 13");
}

}  // namespace
