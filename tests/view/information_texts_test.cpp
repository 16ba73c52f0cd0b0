// The information bar's recording time, counts and renderer frame rate.
#include "core/InformationTexts.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kSecond = 10000000;

TEST(RecordingTimeText, WholeSecondsAsHoursMinutesSeconds)
{
    EXPECT_EQ(L"00:00:00", RecordingTimeText(0));
    EXPECT_EQ(L"00:00:00", RecordingTimeText(kSecond - 1));
    EXPECT_EQ(L"00:00:10", RecordingTimeText(10 * kSecond + 9999999));
    EXPECT_EQ(L"01:02:03", RecordingTimeText((3600 + 120 + 3) * kSecond));
    EXPECT_EQ(L"125:00:59", RecordingTimeText((125 * 3600 + 59) * kSecond)) << "hours beyond a day";
}

TEST(FrameRateText, HundredthsOfFramesPerSecondAndTheUnreadableFigure)
{
    EXPECT_EQ(L"29.97", FrameRateText(2997));
    EXPECT_EQ(L"5.00", FrameRateText(500));
    EXPECT_EQ(L"-0.01", FrameRateText(-1)) << "a figure the renderer could not give";
    EXPECT_EQ(L"-1", CountText(-1));
    EXPECT_EQ(L"8589934592", CountText(int64_t{1} << 33));
}

}  // namespace
