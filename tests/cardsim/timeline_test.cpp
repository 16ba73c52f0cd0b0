#include <gtest/gtest.h>

#include <vector>

#include "DeliveryTimeline.h"
#include "StreamCaps.h"

namespace cardsim {
namespace {

TEST(VideoTimeline, FramesFollowTheFrameDurationAndDropsLeaveGaps)
{
    FaultPlan faults;
    faults.dropEvery = 4;
    VideoTimeline timeline;
    std::vector<uint64_t> delivered;
    for (int i = 0; i < 10; ++i) {
        const VideoTimeline::Frame frame = timeline.Next(166833, faults);
        EXPECT_EQ(static_cast<uint64_t>(i), frame.number);
        EXPECT_EQ(i * int64_t{166833}, frame.start);
        EXPECT_EQ(frame.start + 166833, frame.end);
        EXPECT_EQ(frame.due, frame.start);
        if (!frame.dropped)
            delivered.push_back(frame.number);
    }
    EXPECT_EQ((std::vector<uint64_t>{0, 1, 2, 4, 5, 6, 8, 9}), delivered);

    // A change of rate takes effect from the next frame on.
    const int64_t due = timeline.NextDue();
    timeline.Next(333667, faults);
    EXPECT_EQ(due + 333667, timeline.NextDue());
}

TEST(VideoTimeline, CatchingUpSkipsTheLostPeriodsWithTheirNumbers)
{
    VideoTimeline timeline;
    timeline.Next(333667, FaultPlan{});
    timeline.CatchUp(10000000, 333667);  // 29.97 periods after the start
    const VideoTimeline::Frame frame = timeline.Next(333667, FaultPlan{});
    EXPECT_EQ(29u, frame.number);
    EXPECT_EQ(29 * int64_t{333667}, frame.start);
    EXPECT_LE(frame.start, 10000000);
    timeline.CatchUp(0, 333667);  // never backwards
    EXPECT_EQ(30 * int64_t{333667}, timeline.NextDue());
}

TEST(VideoTimeline, JitterMovesTheStampsNotTheScheduleAndUntimedCountsDeliveredFrames)
{
    FaultPlan faults;
    faults.jitter = 20000;
    faults.untimedEvery = 3;
    faults.dropEvery = 2;
    VideoTimeline timeline;
    int untimed = 0;
    for (int i = 0; i < 12; ++i) {
        const VideoTimeline::Frame frame = timeline.Next(166833, faults);
        EXPECT_EQ(i * int64_t{166833}, frame.due);
        EXPECT_LE(std::llabs(frame.start - std::max<int64_t>(0, frame.due)), 20000);
        if (!frame.dropped && !frame.timed)
            ++untimed;
    }
    EXPECT_EQ(2, untimed);  // 6 delivered frames, every third without stamps
}

TEST(AudioTimeline, BuffersCoverEverySampleFrameWithoutDrift)
{
    for (int rate : AudioSampleRates()) {
        AudioTimeline timeline(rate);
        uint64_t expectedFirst = 0;
        int64_t lastEnd = 0;
        for (int i = 0; i < 3000; ++i) {  // one minute
            const AudioTimeline::Buffer buffer = timeline.Next(FaultPlan{});
            ASSERT_EQ(expectedFirst, buffer.firstFrame);
            ASSERT_EQ(lastEnd, buffer.start);
            ASSERT_EQ(buffer.end, buffer.due);
            expectedFirst += buffer.frames;
            lastEnd = buffer.end;
        }
        EXPECT_EQ(60 * int64_t{10000000}, lastEnd) << rate;
        EXPECT_EQ(60u * rate, expectedFirst);
    }
}

TEST(AudioTimeline, ResumeJumpsToTheSampleFrameOfNow)
{
    AudioTimeline timeline(48000);
    timeline.Next(FaultPlan{});
    timeline.Resume(20000000);
    const AudioTimeline::Buffer buffer = timeline.Next(FaultPlan{});
    EXPECT_EQ(96000u, buffer.firstFrame);
    EXPECT_EQ(20000000, buffer.start);
}

}  // namespace
}  // namespace cardsim
