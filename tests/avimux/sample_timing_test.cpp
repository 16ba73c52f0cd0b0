// Stream times, gaps, delays and drift prevention of arriving samples.
#include <gtest/gtest.h>

#include "FrameDurationSource.h"
#include "SampleTiming.h"

namespace trelvox {
namespace {

constexpr int64_t kT = 333667;

class Timing : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void Reset(int64_t frameDuration = kT)
    {
        TimingFormat f{frameDuration, 192000, 48000, 4};
        timing.Reset(settings, f);
    }
    MuxSample Video(int64_t start)
    {
        MuxSample s;
        s.data = picture;
        s.length = sizeof picture;
        s.hasTime = true;
        s.start = start;
        s.syncPoint = true;
        return s;
    }
    MuxSample Audio(int64_t start, uint32_t bytes = 4800)
    {
        MuxSample s = Video(start);
        s.length = bytes;
        return s;
    }

    MuxSettings settings;
    SampleTiming timing;
    uint8_t picture[16] = {};
};

TEST_F(Timing, TimePropertyNoneAdvancesByOneFrameAlways)
{
    settings.videoTimeProperty = 0;
    Reset();
    for (int i = 0; i < 10; ++i) {
        const VideoPlan p = timing.PlanVideo(Video(i * 400000));
        EXPECT_TRUE(p.queueSample);
        EXPECT_EQ(p.nullFrames, 0u);
    }
    EXPECT_EQ(timing.Measurements().lastVideoTime, 9 * kT);
    EXPECT_EQ(timing.Statistics().droppedFrames, 0u);
}

TEST_F(Timing, TimeStampGapBecomesNullRun)
{
    EXPECT_EQ(timing.PlanVideo(Video(0)).nullFrames, 0u);
    EXPECT_EQ(timing.PlanVideo(Video(333667)).nullFrames, 0u);
    const VideoPlan p = timing.PlanVideo(Video(1334668));  // two frames missing
    EXPECT_EQ(p.nullFrames, 2u);
    EXPECT_TRUE(p.queueSample);
    const MuxStatistics s = timing.Statistics();
    EXPECT_EQ(s.droppedFrames, 2u);
    EXPECT_EQ(s.videoFrames, 5u);
    // A repeated or older stamp advances by one frame and leaves no gap.
    EXPECT_EQ(timing.PlanVideo(Video(1334668)).nullFrames, 0u);
    EXPECT_EQ(timing.Measurements().lastVideoTime, 1334668 + kT);
}

TEST_F(Timing, FractionRoundsUpOnlyAboveTheDropThreshold)
{
    Reset(1000000);
    timing.PlanVideo(Video(0));
    EXPECT_EQ(timing.PlanVideo(Video(1500000)).nullFrames, 0u);  // G = 0.5
    Reset(1000000);
    timing.PlanVideo(Video(0));
    EXPECT_EQ(timing.PlanVideo(Video(1510000)).nullFrames, 1u);  // G = 0.51
    settings.dropThreshold = 0.0;
    Reset(1000000);
    timing.PlanVideo(Video(0));
    EXPECT_EQ(timing.PlanVideo(Video(1010000)).nullFrames, 1u);  // any fraction
}

TEST_F(Timing, MediaTimeCountsFramesAndIsRequired)
{
    settings.videoTimeProperty = 2;
    Reset();
    MuxSample s = Video(0);
    s.hasMediaTime = true;
    s.mediaStart = 100;
    timing.PlanVideo(s);
    s.mediaStart = 104;  // three frames missing
    s.start = 12345;     // ignored under media time
    EXPECT_EQ(timing.PlanVideo(s).nullFrames, 3u);
    s.hasMediaTime = false;
    EXPECT_EQ(timing.PlanVideo(s).failure, kVFW_E_MEDIA_TIME_NOT_SET);
    settings.videoTimeProperty = 7;
    Reset();
    EXPECT_EQ(timing.PlanVideo(Video(0)).failure, kE_UNEXPECTED);
}

TEST_F(Timing, MissingTimeStampFails)
{
    MuxSample s = Video(0);
    s.hasTime = false;
    EXPECT_EQ(timing.PlanVideo(s).failure, kVFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_EQ(timing.PlanAudio(s).failure, kVFW_E_SAMPLE_TIME_NOT_SET);
}

TEST_F(Timing, FirstVideoDelayUnderEachDelayProcessing)
{
    // Delay time: nothing queued for the delay, it becomes dwStart.
    Reset(333333);
    VideoPlan p = timing.PlanVideo(Video(10000000));
    EXPECT_EQ(p.nullFrames, 0u);
    EXPECT_EQ(timing.FirstVideoTime(), 10000000);
    EXPECT_EQ(timing.Statistics().droppedFrames, 0u);

    settings.videoDelayProcessing = VideoDelayProcessing::NullFrames;
    Reset(333333);
    p = timing.PlanVideo(Video(10000000));
    EXPECT_EQ(p.nullFrames, 30u);
    EXPECT_FALSE(p.fullCopyFirst);
    EXPECT_EQ(timing.FirstVideoTime(), 0);
    EXPECT_EQ(timing.Statistics().videoFrames, 31u);

    settings.videoDelayProcessing = VideoDelayProcessing::FullAndNullFrames;  // the picture, nulls, the picture again
    Reset(333333);
    p = timing.PlanVideo(Video(10000000));
    EXPECT_TRUE(p.fullCopyFirst);
    EXPECT_EQ(p.nullFrames, 29u);
    EXPECT_TRUE(p.queueSample);
    EXPECT_EQ(timing.Statistics().videoFrames, 31u);
}

TEST_F(Timing, DiscardNegativeStartOnlyBeforeTheFirstSample)
{
    settings.discardNegativeVideo = 1;
    Reset();
    EXPECT_TRUE(timing.PlanVideo(Video(-5)).ignore);
    EXPECT_TRUE(timing.PlanVideo(Video(0)).queueSample);
    EXPECT_TRUE(timing.PlanVideo(Video(-5)).queueSample);
}

TEST_F(Timing, ReferenceTimeChangeWaitsForTheOtherStream)
{
    settings.audioDelayProcessing = AudioDelayProcessing::ReferenceTimeChange;  // video measured from the first audio
    Reset();
    EXPECT_TRUE(timing.PlanVideo(Video(0)).ignore);  // no audio yet
    timing.PlanAudio(Audio(5000000));
    EXPECT_TRUE(timing.PlanVideo(Video(5000000 - 2 * kT)).ignore);  // before the audio
    const VideoPlan p = timing.PlanVideo(Video(5000000 + 2 * kT));
    EXPECT_TRUE(p.queueSample);
    EXPECT_EQ(p.nullFrames, 0u);  // the delay is dwStart, not null frames
    EXPECT_EQ(timing.FirstVideoTime(), 5000000 + 2 * kT);

    settings.audioDelayProcessing = AudioDelayProcessing::DelayTime;
    settings.videoDelayProcessing = VideoDelayProcessing::ReferenceTimeChange;  // audio measured from the first video
    Reset();
    EXPECT_TRUE(timing.PlanAudio(Audio(0)).ignore);
    timing.PlanVideo(Video(1000000));
    EXPECT_TRUE(timing.PlanAudio(Audio(500000)).ignore);
    EXPECT_FALSE(timing.PlanAudio(Audio(1500000)).ignore);
    EXPECT_EQ(timing.FirstAudioTime(), 1500000);
}

TEST_F(Timing, AudioNullFrameModeQueuesSilenceForTheDelay)
{
    settings.audioDelayProcessing = AudioDelayProcessing::NullFrames;
    Reset();
    const AudioPlan p = timing.PlanAudio(Audio(2500000, 4803));  // 0.25 s late
    EXPECT_EQ(p.length, 4800u);                                  // whole blocks only
    EXPECT_EQ(p.silenceBytes, 48000u);
    EXPECT_EQ(timing.FirstAudioTime(), 0);
    const MuxStatistics s = timing.Statistics();
    EXPECT_EQ(s.audioBuffers, 11u);  // ten buffers of silence and the sample
    EXPECT_EQ(s.audioBlocks, 12000u + 1200u);
    EXPECT_TRUE(timing.PlanAudio(Audio(0, 3)).ignore);  // shorter than a block
}

TEST_F(Timing, AudioClockFollowsStampsOrBufferLengths)
{
    timing.PlanAudio(Audio(1000));
    timing.PlanAudio(Audio(1000));  // stamp did not advance: one buffer's duration
    EXPECT_EQ(timing.Measurements().lastAudioTime, 1000 + 250000);
    settings.audioTimeProperty = 0;
    Reset();
    timing.PlanAudio(Audio(7000));
    timing.PlanAudio(Audio(99999999));
    EXPECT_EQ(timing.Measurements().lastAudioTime, 7000 + 250000);
    EXPECT_TRUE(timing.PlanAudio(Audio(0)).sync);
}

TEST_F(Timing, DriftPreventionInsertsOneFrameEvery51Samples)
{
    settings.driftPrevention = 1;
    Reset();
    // Ten seconds of audio data within one time unit: a lasting deviation.
    timing.PlanAudio(Audio(0, 1920000));
    timing.PlanAudio(Audio(1, 4));
    std::vector<int> insertedAt;
    for (int i = 0; i < 200; ++i) {
        const VideoPlan p = timing.PlanVideo(Video(i * kT));
        if (p.nullFrames > 0)
            insertedAt.push_back(i);
    }
    ASSERT_GE(insertedAt.size(), 3u);
    EXPECT_EQ(insertedAt[1] - insertedAt[0], 51);
    EXPECT_EQ(insertedAt[2] - insertedAt[1], 51);
    EXPECT_EQ(timing.Statistics().inserted, insertedAt.size());

    // Ten seconds of audio time with almost no data: frames are deleted instead.
    Reset();
    timing.PlanAudio(Audio(0, 4));
    timing.PlanAudio(Audio(100000000, 4));
    int deleted = 0;
    for (int i = 0; i < 200; ++i) {
        if (!timing.PlanVideo(Video(i * kT)).queueSample)
            ++deleted;
    }
    EXPECT_GE(deleted, 3);
    EXPECT_EQ(timing.Statistics().deleted, static_cast<uint32_t>(deleted));
}

TEST(FrameDurationSource, TheTypeComesFirstThenTheUpstreamInput)
{
    EXPECT_EQ(ConnectionFrameDuration(kT, 400000), kT);
    EXPECT_EQ(ConnectionFrameDuration(0, 400000), 400000);
    EXPECT_EQ(ConnectionFrameDuration(-1, 400000), 400000);
    EXPECT_EQ(ConnectionFrameDuration(0, -5), 0) << "neither: the samples tell";
}

TEST_F(Timing, SamplesTellTheFrameDurationByTheirStopOrByTheNextStart)
{
    using Outcome = SampleFrameDuration::Outcome;
    SampleFrameDuration learner;
    MuxSample stopped = Video(1000);
    stopped.stop = 1000 + kT;
    EXPECT_EQ(learner.Take(stopped), Outcome::Learnt);
    EXPECT_EQ(learner.FrameDuration(), kT);
    EXPECT_EQ(learner.Held(), nullptr);

    // Start times only: the first picture is held, a copy of its own.
    learner.Reset();
    picture[0] = 7;
    MuxSample first = Video(500);
    first.stop = first.start;
    EXPECT_EQ(learner.Take(first), Outcome::Held);
    picture[0] = 9;
    EXPECT_EQ(learner.Take(Video(500 + 400000)), Outcome::Learnt);
    EXPECT_EQ(learner.FrameDuration(), 400000);
    ASSERT_NE(learner.Held(), nullptr);
    EXPECT_EQ(learner.Held()->start, 500);
    EXPECT_EQ(learner.Held()->data[0], 7);
    EXPECT_EQ(learner.Held()->length, sizeof picture);

    learner.Reset();
    MuxSample empty = Video(0);
    empty.length = 0;
    EXPECT_EQ(learner.Take(empty), Outcome::Ignored);
    MuxSample unstamped = Video(0);
    unstamped.hasTime = false;
    EXPECT_EQ(learner.Take(unstamped), Outcome::Failed);
    EXPECT_EQ(learner.Take(Video(800)), Outcome::Held);
    EXPECT_EQ(learner.Take(Video(800)), Outcome::Failed) << "start times that do not advance";
}

}  // namespace
}  // namespace trelvox
