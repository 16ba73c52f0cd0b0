#include "SignalDetectionWindow.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

constexpr int k1080i = 3, k720p = 4;

// Feeds `periods` periods of `perPeriod` samples; returns the period that detected, or -1.
int Feed(SignalDetectionWindow& window, int format, int periods, int perPeriod, int64_t& count)
{
    for (int i = 1; i <= periods; ++i) {
        count += perPeriod;
        if (window.EndPeriod(format, count))
            return i;
    }
    return -1;
}

TEST(SignalDetectionWindow, DetectsAfterTenGoodPeriods)
{
    SignalDetectionWindow window;
    int64_t count = 500;
    window.Start(k1080i, count);
    EXPECT_EQ(10, Feed(window, k1080i, 20, 3, count)) << "3 frames of 33 ms exceed 90 ms";
}

TEST(SignalDetectionWindow, AShortPeriodRestartsTheRun)
{
    SignalDetectionWindow window;
    int64_t count = 0;
    window.Start(k1080i, count);
    EXPECT_EQ(-1, Feed(window, k1080i, 9, 3, count));
    count += 2;  // 66.7 ms: not enough
    EXPECT_FALSE(window.EndPeriod(k1080i, count));
    EXPECT_EQ(0, window.GoodPeriods());
    EXPECT_EQ(10, Feed(window, k1080i, 10, 3, count));
}

TEST(SignalDetectionWindow, AFormatChangeRestartsTheCountForTheNewFormat)
{
    SignalDetectionWindow window;
    int64_t count = 0;
    window.Start(k1080i, count);
    EXPECT_EQ(-1, Feed(window, k1080i, 5, 3, count));
    count += 6;
    EXPECT_FALSE(window.EndPeriod(k720p, count));
    EXPECT_EQ(k720p, window.LastFormat());
    EXPECT_EQ(0, window.GoodPeriods());
    // The change period did not move the baseline: the next period also counts its samples.
    count += 6;
    EXPECT_TRUE(!window.EndPeriod(k720p, count));
    EXPECT_EQ(1, window.GoodPeriods());
    EXPECT_EQ(9, Feed(window, k720p, 20, 6, count));
}

TEST(SignalDetectionWindow, NoSignalNeverDetects)
{
    SignalDetectionWindow window;
    int64_t count = 0;
    window.Start(0, count);
    EXPECT_EQ(-1, Feed(window, 0, 100, 60, count));
    EXPECT_EQ(0, window.GoodPeriods());
}

TEST(SignalDetectionWindow, RebaselineDropsSamplesCountedWhileMessagesRan)
{
    SignalDetectionWindow window;
    int64_t count = 0;
    window.Start(k1080i, count);
    count += 100;
    window.Rebaseline(count);
    count += 2;
    EXPECT_FALSE(window.EndPeriod(k1080i, count));
    EXPECT_EQ(0, window.GoodPeriods());
}

}  // namespace
}  // namespace engine
