#include "StreamCounters.h"

#include <gtest/gtest.h>

#include <array>

namespace engine {
namespace {

TEST(StreamCounters, KeepsTheFirstStartAndTheLastEnd)
{
    StreamCounters counters;
    counters.Record(100, 200, 0, 1);
    counters.Record(200, 300, 1, 2);
    counters.Record(300, 400, 0, 0);  // no media times on this one
    EXPECT_EQ(100, counters.firstStart);
    EXPECT_EQ(400, counters.lastEnd);
    EXPECT_EQ(0, counters.firstMediaStart);
    EXPECT_EQ(0, counters.lastMediaEnd);
    EXPECT_EQ(3, counters.samples);

    counters.Reset();
    EXPECT_TRUE(counters.firstSample);
    EXPECT_EQ(0, counters.samples);
    counters.Record(7, 8, 9, 10, 480);
    EXPECT_EQ(7, counters.firstStart);
    EXPECT_EQ(9, counters.firstMediaStart);
    EXPECT_EQ(480, counters.sampleFrames);
}

TEST(DroppedFrames, CountsWholeFramesMissingFromTheSpan)
{
    EXPECT_EQ(1, DroppedFrames(0, 100433767, 333667, 300));
    EXPECT_EQ(0, DroppedFrames(0, 100100100, 333667, 300));
    EXPECT_EQ(0, DroppedFrames(0, 0, 333667, 0)) << "no video at all";
    EXPECT_EQ(0, DroppedFrames(0, 5, 0, 0)) << "no frame duration";
}

TEST(SwapStereo16, ExchangesTheChannelsOfEachFrame)
{
    std::array<uint8_t, 8> pcm{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    SwapStereo16(pcm.data(), pcm.size(), 4);
    EXPECT_EQ((std::array<uint8_t, 8>{0x03, 0x04, 0x01, 0x02, 0x07, 0x08, 0x05, 0x06}), pcm);
}

TEST(SwapStereo16, StaysInsideTheDataAndLeavesOtherLayoutsAlone)
{
    std::array<uint8_t, 6> pcm{1, 2, 3, 4, 5, 6};
    SwapStereo16(pcm.data(), pcm.size(), 4);
    EXPECT_EQ((std::array<uint8_t, 6>{3, 4, 1, 2, 5, 6}), pcm) << "a partial frame at the end stays";

    std::array<uint8_t, 4> mono{1, 2, 3, 4};
    SwapStereo16(mono.data(), mono.size(), 2);
    EXPECT_EQ((std::array<uint8_t, 4>{1, 2, 3, 4}), mono);
}

}  // namespace
}  // namespace engine
