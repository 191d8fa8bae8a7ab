#include "app/task_driver.h"
#include "report/report_writer.h"

#include <gtest/gtest.h>

namespace {

TEST(HiveResult, EmptyHiveIsHeaderAndTrailer) {
    EXPECT_EQ(composeHiveResult("HKEY_USERS Registry:\r\n", ""),
              std::string("HKEY_USERS Registry:\r\n\r\n") + reportTrailer());
}

TEST(HiveResult, LinesAreReadAsATextStream) {
    // On disk each line end is CR CR LF; the stream reads CR LF as one line end.
    EXPECT_EQ(composeHiveResult("H\r\n", "a\r\r\nb\r\r\n"), std::string("H\r\n\r\na\r\r\nb\r\r\n") + reportTrailer());
    EXPECT_EQ(composeHiveResult("H\r\n", "no end"), std::string("H\r\n\r\nno end\r\n") + reportTrailer());
    const std::string withZero("x\0y\n", 4);
    EXPECT_EQ(composeHiveResult("", withZero).substr(0, 7), std::string("\r\nx\0y\r\n", 7));
}

TEST(HiveResult, RefusalNeedsTooLittleAndLessThanLoaded) {
    EXPECT_TRUE(viewRefusedText(0, 5000));
    EXPECT_TRUE(viewRefusedText(249, 5000));
    EXPECT_FALSE(viewRefusedText(250, 5000));
    EXPECT_FALSE(viewRefusedText(120, 120)) << "a short complete dump is shown normally";
}

TEST(CollectorLoad, ZeroByteEndsTheShownText) {
    struct Case {
        std::string bytes;
        const char* shown;
    } cases[] = {
        {std::string("abc\0def", 7), "abc"}, {"", ""}, {std::string(1, '\0'), ""}, {"no zero", "no zero"}};
    for (auto& c : cases) {
        cutAtFirstZero(c.bytes);
        EXPECT_EQ(c.bytes, c.shown);
    }
}

}  // namespace
