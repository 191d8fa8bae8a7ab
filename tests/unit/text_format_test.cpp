#include "report/text_format.h"

#include <gtest/gtest.h>

namespace {

std::optional<std::string> grow(size_t initial, size_t step, size_t limit, const char* format, ...) {
    va_list args;
    va_start(args, format);
    auto out = formatGrowing(initial, step, limit, format, args);
    va_end(args);
    return out;
}

TEST(TextFormat, GrowingBufferFitsUpToItsLargestStep) {
    // Sizes 10, 15, 20 stay below 21: at most 19 characters.
    EXPECT_EQ(grow(10, 5, 21, "%s", std::string(19, 'a').c_str()), std::string(19, 'a'));
    EXPECT_FALSE(grow(10, 5, 21, "%s", std::string(20, 'a').c_str()).has_value());
    EXPECT_EQ(grow(10, 5, 21, "%d-%s", 42, "x"), "42-x");
}

TEST(TextFormat, LineFeedsAndPercents) {
    struct Case {
        const char* in;
        const char* feeds;
        const char* percents;
    } cases[] = {
        {"", "", ""},
        {"a\nb", "a\r\nb", "a\nb"},
        {"a\r\nb\n\n", "a\r\r\nb\r\n\r\n", "a\r\nb\n\n"},
        {"100%", "100%", "100%%"},
        {"%%d", "%%d", "%%%%d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expandLineFeeds(c.in), c.feeds) << c.in;
        EXPECT_EQ(doublePercent(c.in), c.percents) << c.in;
    }
}

}  // namespace
