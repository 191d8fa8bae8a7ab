// A whole hive dump over a private key standing in for the hive's root.
#include "registry/hive_dump.h"
#include "registry/registry_dumper.h"
#include "support/temp_dir.h"
#include "support/test_context.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

namespace {

struct HiveDumpLayout : ::testing::Test {
    TestKey hive;
    TempDir dir;
    TestContext context;
    HiveDumpLayout() { resetWalkerMemory(); }
    std::string dump() {
        EXPECT_EQ(dumpHive(context, hive.handle(), dir.file("keys"), true), HiveDumpOutcome::Complete);
        return context.report;
    }
};

TEST_F(HiveDumpLayout, TopLevelKeysTheirDefaultValuesAndTheClosingList) {
    hive.setString("Alpha", "", "d\351faut de l'\351t\351");
    hive.setString("Alpha", "Caf\xe9", "cr\xe8me");
    hive.setString("Alpha\\One", "v", "1");
    hive.setString("Alpha\\Two", "w", "2");
    hive.setString("Beta", "b", "3");
    RegCloseKey(hive.create("Gamma"));
    EXPECT_EQ(dump(),
              // The top-level header once, with the key's default value
              // below it, before the first subkey's header.
              "\n   Key: Alpha \n\t Unnamed registry key (Default): d\351faut de l'\351t\351\n"
              "\n   Key: Alpha\\One\n\t v: 1\n"
              "\n   Key: Alpha\\Two\n\t w: 2\n"
              // The key's own values after its subtree, under its path again.
              "\n\n   Key: Alpha \n\t Caf\xe9: cr\xe8me\n"
              // A line feed after each top-level key.
              "\n"
              // A key without subkeys has its values header only...
              "\n\n   Key: Beta \n\t b: 3\n"
              "\n"
              // ...and an empty key prints nothing.
              "\n"
              // Keys whose header the walk never printed close the dump.
              "\n   Key: Beta\n"
              "\n   Key: Gamma\n");
}

TEST_F(HiveDumpLayout, AnEmptyHivePrintsNothing) {
    EXPECT_EQ(dump(), "");
}

// Both hosts drop live text once a halt is raised: a halted dump has nothing to show.
TEST_F(HiveDumpLayout, AHaltedDumpAsksForNoLiveText) {
    hive.setString("Alpha", "a", "1");
    context.halt = true;
    dumpHive(context, hive.handle(), dir.file("keys"), true);
    EXPECT_TRUE(context.liveTexts.empty()) << context.liveTexts.front();
}

} // namespace
