#include "report/status_progress.h"

#include <gtest/gtest.h>

namespace {

size_t dotsIn(const std::string& frame) {
    const size_t start = frame.find(' ') + 1;
    return frame.find(' ', start) - start;
}

TEST(StatusProgress, TwelveFramesThenTheCycleRestarts) {
    ProgressAnimator a;
    a.next(0, false, 0, 0, 0);
    std::vector<size_t> dots;
    for (int second = 0; second < 13; ++second) {
        auto frame = a.next(second + 1, false, 0, 0, 0);
        ASSERT_TRUE(frame.has_value()) << second;
        EXPECT_EQ(frame->substr(frame->size() - 6), " Wait ");
        dots.push_back(dotsIn(*frame));
    }
    EXPECT_EQ(dots, (std::vector<size_t>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 2}));
}

TEST(StatusProgress, ThrottledToOneChangePerSecondUnlessAnimating) {
    ProgressAnimator quiet;
    EXPECT_FALSE(quiet.next(7, false, 0, 0, 0).has_value()) << "the first call only learns the second";
    EXPECT_TRUE(quiet.next(8, false, 0, 0, 0).has_value());
    EXPECT_FALSE(quiet.next(8, false, 0, 0, 0).has_value());

    ProgressAnimator lively;
    EXPECT_TRUE(lively.next(7, true, 0, 0, 0).has_value());
    EXPECT_TRUE(lively.next(7, true, 0, 0, 0).has_value());
}

TEST(StatusProgress, CountSuffix) {
    EXPECT_EQ(progressFrame(0, 3, 7, 40), "Working .. please Wait  ->  3 - 7  of  40");
    EXPECT_EQ(progressFrame(0, 0, 0, 0), "Working .. please Wait ");
    EXPECT_EQ(progressFrame(11, 0, 0, 0), "Working .............. please Wait ");
}

TEST(WalkerProgress, FramesOfBothFamilies) {
    EXPECT_EQ(walkerFrame(0, true, "x"), "Working .. please Wait ");
    EXPECT_EQ(walkerFrame(1, true, "x"), "Working .. please Wait. ");
    EXPECT_EQ(walkerFrame(11, true, "x"), "Working .. please Wait........... ");
    EXPECT_EQ(walkerFrame(0, false, "12 to 13"), "Working .. please Wait  12 to 13 %");
    EXPECT_EQ(walkerFrame(11, false, "0 to 1"), "Working .. please Wait...........  0 to 1 %");
}

TEST(WalkerProgress, ShortTextShowsNothingButAdvances) {
    WalkerAnimator w;
    EXPECT_FALSE(w.next(false, "").has_value());
    EXPECT_FALSE(w.next(false, "7").has_value());
    auto frame = w.next(false, "0 to 1");
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(*frame, "Working .. please Wait..  0 to 1 %");
    for (int i = 0; i < 9; ++i) w.next(true, "ab");
    EXPECT_EQ(*w.next(true, "ab"), "Working .. please Wait " ) << "after frame 11 the cycle restarts";
}

TEST(WalkerProgress, NewSecondOncePerSecond) {
    WalkerAnimator w;
    EXPECT_TRUE(w.newSecond(3));
    EXPECT_FALSE(w.newSecond(3));
    EXPECT_TRUE(w.newSecond(4));
}

}  // namespace
