#include "report/text_search.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <limits>

namespace {

SearchCopy copyOf(const char* text) { return SearchCopy{text, false}; }

TEST(FindText, IgnoresCaseOfTextAndPattern) {
    SearchCopy copy = copyOf("Alpha BETA Gamma beta");
    EXPECT_EQ(findText(copy, "beta", 0), 6);
    EXPECT_EQ(findText(copy, "BETA", 7), 17);
    EXPECT_EQ(findText(copy, "GaMmA", 0), 11);
    EXPECT_EQ(copy.text, "alpha beta gamma beta") << "the copy is lower-cased in place";
    EXPECT_EQ(findText(copy, "delta", 0), -1);
}

TEST(FindText, OffsetsAtAndBeyondTheEnd) {
    SearchCopy copy = copyOf("abcabc");
    EXPECT_EQ(findText(copy, "abc", 3), 3);
    EXPECT_EQ(findText(copy, "abc", 4), -1);
    EXPECT_EQ(findText(copy, "", 6), 6);
    EXPECT_EQ(findText(copy, "a", 7), -1);
}

TEST(FindNext, FirstCharacterMatchIsNeverFound) {
    SearchCopy copy = copyOf("Key at start; key later");
    EXPECT_EQ(nextMatch(copy, "key", 0), 14);
    EXPECT_EQ(nextMatch(copy, "key", 14), 14) << "wrap-around restarts at offset 1, not 0";
    SearchCopy only = copyOf("key only at start");
    EXPECT_EQ(nextMatch(only, "key", 0), -1);
}

TEST(FindNext, StepsThroughOverlappingMatchesAndWraps) {
    SearchCopy copy = copyOf("x aaaa y aa");
    std::vector<long> seen;
    long selection = 0;
    for (int i = 0; i < 6; ++i) {
        selection = nextMatch(copy, "aa", selection);
        seen.push_back(selection);
    }
    EXPECT_EQ(seen, (std::vector<long>{2, 3, 4, 9, 2, 3}));
}

TEST(FindNext, EmptyPatternSelectsOneAfterTheSelection) {
    SearchCopy copy = copyOf("some text");
    EXPECT_EQ(nextMatch(copy, "", 3), 4);
}

TEST(FindNext, SelectionAtTheLargestOffsetWrapsToTheStart) {
    // Nothing can follow the last offset a long holds: the search starts over
    // from offset 1 instead of stepping past the largest value.
    SearchCopy copy = copyOf("a key and a KEY");
    EXPECT_EQ(nextMatch(copy, "key", std::numeric_limits<long>::max()), 2);
    EXPECT_EQ(nextMatch(copy, "key", std::numeric_limits<long>::max() - 1), 2);
}

TEST(SearchCopyRule, RefreshedOnlyOnLengthChangeOrKeyPress) {
    EXPECT_FALSE(searchCopyStale(1200, 1200)) << "an unchanged report is searched in the old copy";
    EXPECT_TRUE(searchCopyStale(1200, 1300));
    EXPECT_TRUE(searchCopyStale(-1, 1200)) << "a key press marked it";
    for (unsigned arrow : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) EXPECT_FALSE(keyMarksSearchCopyStale(arrow));
    for (unsigned key : {unsigned('A'), unsigned(VK_NEXT), unsigned(VK_HOME), unsigned(VK_RETURN)})
        EXPECT_TRUE(keyMarksSearchCopyStale(key)) << key;
}

}  // namespace
