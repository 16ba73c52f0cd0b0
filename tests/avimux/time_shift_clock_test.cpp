// Playback position arithmetic: the rate, positions beyond the written time, the frame
// and audio block at a position, and the figures GetPosition reports.
#include <gtest/gtest.h>

#include <limits>

#include "TimeShiftClock.h"

namespace trelvox {
namespace {

constexpr int64_t kSecond = kUnitsPerSecond;
constexpr int64_t kT = 333667;

TEST(TimeShiftClock, PositionAdvancesWithTheRate)
{
    const PlaybackAnchor normal{10 * kSecond, 3 * kSecond, 100};
    EXPECT_EQ(CurrentPosition(normal, 12 * kSecond), 5 * kSecond);
    const PlaybackAnchor fast{10 * kSecond, 3 * kSecond, 200};
    EXPECT_EQ(CurrentPosition(fast, 12 * kSecond), 7 * kSecond);
    const PlaybackAnchor slow{10 * kSecond, 3 * kSecond, 50};
    EXPECT_EQ(CurrentPosition(slow, 12 * kSecond), 4 * kSecond);
    // 1 ms at 33 %: 0.33 ms, truncated.
    const PlaybackAnchor third{0, 0, 33};
    EXPECT_EQ(UnlimitedPosition(third, 10001), 3300);
}

TEST(TimeShiftClock, CurrentPositionStaysWithinTheWrittenTime)
{
    // Playing at 400 % overtakes the live point: held at now.
    const PlaybackAnchor fast{0, 0, 400};
    EXPECT_EQ(UnlimitedPosition(fast, 10 * kSecond), 40 * kSecond);
    EXPECT_EQ(CurrentPosition(fast, 10 * kSecond), 10 * kSecond);
    // A seek beyond what was written.
    const PlaybackAnchor ahead{5 * kSecond, 60 * kSecond, 100};
    EXPECT_EQ(CurrentPosition(ahead, 6 * kSecond), 6 * kSecond);
    // Before the stream began.
    const PlaybackAnchor behind{5 * kSecond, 0, 100};
    EXPECT_EQ(CurrentPosition(behind, 2 * kSecond), 0);
    EXPECT_EQ(CurrentPosition(behind, -1), 0);
}

TEST(TimeShiftClock, HugeRatesAndTimesSaturateInsteadOfWrapping)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const PlaybackAnchor extreme{0, kMax - 5, std::numeric_limits<uint32_t>::max()};
    EXPECT_EQ(UnlimitedPosition(extreme, 1000 * kSecond), kMax);
    EXPECT_EQ(CurrentPosition(extreme, 1000 * kSecond), 1000 * kSecond);
    const PlaybackAnchor paused{0, 3 * kSecond, 0};
    EXPECT_EQ(UnlimitedPosition(paused, 1000 * kSecond), 3 * kSecond);
}

TEST(TimeShiftClock, FrameNumberCountsFromTheFirstFrame)
{
    const PlaybackAnchor seek{20 * kSecond, 3 * kSecond, 100};
    const int64_t first = kSecond / 2;
    EXPECT_EQ(VideoFrameNumber(seek, 20 * kSecond, first, kT), (3 * kSecond - first) / kT);
    EXPECT_EQ(VideoFrameNumber(seek, 20 * kSecond, 0, kT), 89);  // 3 s at 29.97 fps
    // Exactly at and just before the first frame.
    const PlaybackAnchor start{0, first, 100};
    EXPECT_EQ(VideoFrameNumber(start, 0, first, kT), 0);
    EXPECT_EQ(VideoFrameNumber(start, 0, first + 1, kT), -1);
    EXPECT_EQ(VideoFrameNumber(start, kT - 1, first, kT), 0);
    EXPECT_EQ(VideoFrameNumber(start, kT, first, kT), 1);
    // Twice as fast: every other frame.
    const PlaybackAnchor fast{0, 0, 200};
    EXPECT_EQ(VideoFrameNumber(fast, 10 * kT, 0, kT), 20);
    // Far before the start, at any rate: no overflow.
    const PlaybackAnchor rewound{std::numeric_limits<int64_t>::max(), 0, std::numeric_limits<uint32_t>::max()};
    EXPECT_EQ(VideoFrameNumber(rewound, 0, kSecond, kT), -1);
    // No frame duration, no frame.
    EXPECT_EQ(VideoFrameNumber(start, kSecond, 0, 0), -1);
}

TEST(TimeShiftClock, AudioBlockAtAPosition)
{
    // 48 kHz, 16-bit stereo: 192,000 bytes a second, 4 a block.
    EXPECT_EQ(AudioBlockNumber(3 * kSecond, 0, 192000, 4), 144000);
    EXPECT_EQ(AudioBlockNumber(3 * kSecond, kSecond / 4, 192000, 4), 132000);
    EXPECT_EQ(AudioBlockNumber(kSecond / 8, kSecond / 4, 192000, 4), -1);
    // A fraction of a block rounds down: 1 ms + 100 ns is 48 blocks and a little.
    EXPECT_EQ(AudioBlockNumber(10001, 0, 192000, 4), 48);
    // Ten hours in: no overflow.
    EXPECT_EQ(AudioBlockNumber(36000 * kSecond, 0, 192000, 4), 48000ll * 36000);
    EXPECT_EQ(AudioBlockNumber(kSecond, 0, 0, 4), -1);
    EXPECT_EQ(AudioDuration(4800, 192000), kSecond / 40);
    EXPECT_EQ(AudioDuration(1, 3), 3333333);
}

TEST(TimeShiftClock, ReportedPositionInWholeSecondsNeverAboveTotal)
{
    PositionSeconds p = ReportedPosition(3 * kSecond + kSecond / 2, 10 * kSecond - 1);
    EXPECT_EQ(p.current, 3u);
    EXPECT_EQ(p.total, 9u);
    p = ReportedPosition(11 * kSecond, 10 * kSecond);
    EXPECT_EQ(p.current, 10u);
    EXPECT_EQ(p.total, 10u);
    p = ReportedPosition(-kSecond, 0);
    EXPECT_EQ(p.current, 0u);
    EXPECT_EQ(p.total, 0u);
}

}  // namespace
}  // namespace trelvox
