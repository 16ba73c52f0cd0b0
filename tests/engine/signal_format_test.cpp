#include "AudioInputRule.h"
#include "SignalFormat.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(FormatFromDecoderReadings, MapsLockAndLineCountToRows)
{
    EXPECT_EQ(0, FormatFromDecoderReadings(0, 1125)) << "no lock is no signal";
    EXPECT_EQ(1, FormatFromDecoderReadings(1, 525));
    EXPECT_EQ(2, FormatFromDecoderReadings(2, 525));
    EXPECT_EQ(3, FormatFromDecoderReadings(1, 1125));
    EXPECT_EQ(5, FormatFromDecoderReadings(7, 1125));
    EXPECT_EQ(4, FormatFromDecoderReadings(2, 750));
    EXPECT_EQ(0, FormatFromDecoderReadings(1, 750)) << "there is no interlaced 720-line format";
    EXPECT_EQ(0, FormatFromDecoderReadings(1, 625));
    EXPECT_EQ(0, FormatFromDecoderReadings(-1, 0));
}

TEST(SignalFormatRow, HoldsTheCardFormatsAndFallsBackToNoSignal)
{
    EXPECT_EQ(1920, SignalFormatRow(3).width);
    EXPECT_EQ(1080, SignalFormatRow(3).height);
    EXPECT_EQ(333667, SignalFormatRow(3).frameDuration);
    EXPECT_EQ(166833, SignalFormatRow(4).frameDuration);
    EXPECT_EQ(0x32595559u, SignalFormatRow(2).fourcc) << "YUY2";
    EXPECT_EQ(0x20202020u, SignalFormatRow(0).fourcc) << "four blanks";
    EXPECT_EQ(0, SignalFormatRow(6).index);
    EXPECT_EQ(0, SignalFormatRow(-1).width);
    EXPECT_TRUE(IsInterlacedFormat(1));
    EXPECT_TRUE(IsInterlacedFormat(3));
    EXPECT_FALSE(IsInterlacedFormat(5));
}

TEST(AudioInputPosition, CountsAudioInputsSeenBeforeEachInput)
{
    constexpr long A = 0x1002, B = 0x1007, Video = 2;
    // Audio A, audio B, then video: index 1 routes B, index 2 the input after B.
    const std::vector<long> inputs{A, B, Video, Video};
    EXPECT_EQ(0, AudioInputPosition(inputs, 0));
    EXPECT_EQ(1, AudioInputPosition(inputs, 1));
    EXPECT_EQ(2, AudioInputPosition(inputs, 2));
    EXPECT_EQ(-1, AudioInputPosition(inputs, 3));
    EXPECT_EQ(-1, AudioInputPosition({}, 1));
    EXPECT_EQ(-1, AudioInputPosition({Video, 0x100A}, 1)) << "0x100A is outside the counted audio types";
}

}  // namespace
}  // namespace engine
