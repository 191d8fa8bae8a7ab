// The count of running copies the closing sweep asks before it deletes.
#include "report/running_copies.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string privateName() {
    return "KorvexerTest.RunningCopies." + std::to_string(GetCurrentProcessId());
}

TEST(RunningCopies, EachCopyCountsUntilItCountsOut) {
    const std::string name = privateName();
    RunningCopies first(name.c_str());
    EXPECT_FALSE(first.othersRunning());
    {
        RunningCopies second(name.c_str());
        EXPECT_TRUE(first.othersRunning());
        EXPECT_TRUE(second.othersRunning());
    }
    // Asking twice leaves the count as it was.
    EXPECT_FALSE(first.othersRunning());
    EXPECT_FALSE(first.othersRunning());

    RunningCopies third(name.c_str());
    third.countOut();
    third.countOut();
    EXPECT_FALSE(first.othersRunning()) << "counted out once, however often asked";
    // A copy that counted itself out no longer knows its own share.
    EXPECT_TRUE(third.othersRunning());
}

} // namespace
