#include <gtest/gtest.h>

#include <vector>

#include "CrossbarLayout.h"
#include "I2CBus.h"

namespace cardsim {
namespace {

// The audio input picked by counting audio inputs from the start: route j when the count of
// audio inputs before it equals the index.
long InputForAudioIndex(long index)
{
    long count = 0;
    for (long j = 0; j < kCrossbarInputs; ++j) {
        if (count == index)
            return j;
        const long type = CrossbarInput(j).physicalType;
        if (type >= 0x1000 && type <= 0x1009)
            ++count;
    }
    return -1;
}

TEST(Crossbar, AudioIndexOneIsSpdifAndTwoIsTheLineInput)
{
    EXPECT_EQ(kPhysAudioSpdif, CrossbarInput(InputForAudioIndex(1)).physicalType);
    EXPECT_EQ(kPhysAudioLine, CrossbarInput(InputForAudioIndex(2)).physicalType);

    CrossbarRouting routing;
    ASSERT_TRUE(routing.Route(kAudioOutput, InputForAudioIndex(1)));
    EXPECT_EQ(AudioInput::Spdif, routing.RoutedAudio());
    ASSERT_TRUE(routing.Route(kAudioOutput, InputForAudioIndex(2)));
    EXPECT_EQ(AudioInput::Analog, routing.RoutedAudio());
    ASSERT_TRUE(routing.Route(kAudioOutput, -1));
    EXPECT_EQ(AudioInput::None, routing.RoutedAudio());
}

TEST(Crossbar, RoutesOnlyWithinVideoOrAudioAndKeepsBadRoutesOut)
{
    CrossbarRouting routing;
    EXPECT_EQ(kCompositeInput, routing.RoutedTo(kVideoOutput));
    EXPECT_EQ(kPhysVideoComposite, CrossbarInput(kCompositeInput).physicalType);
    for (long input = 0; input < kCrossbarInputs; ++input) {
        const bool audio = IsAudioType(CrossbarInput(input).physicalType);
        EXPECT_EQ(!audio, routing.CanRoute(kVideoOutput, input)) << input;
        EXPECT_EQ(audio, routing.CanRoute(kAudioOutput, input)) << input;
    }
    EXPECT_FALSE(routing.Route(kVideoOutput, 0));
    EXPECT_FALSE(routing.Route(kVideoOutput, kCrossbarInputs));
    EXPECT_FALSE(routing.Route(2, 3));
    EXPECT_FALSE(routing.CanRoute(-1, 3));
    EXPECT_EQ(kCompositeInput, routing.RoutedTo(kVideoOutput));
    EXPECT_EQ(-1, routing.RoutedTo(5));
    // The composite input's related pin is an audio input.
    EXPECT_TRUE(IsAudioType(CrossbarInput(CrossbarInput(kCompositeInput).related).physicalType));
}

TEST(I2CBus, CallsAreLoggedByteForByteAndRegistersKeepWhatWasWritten)
{
    const uint8_t offset[] = {0xFF, 0xC0};
    EXPECT_EQ("write device=98 register=0B length=2 data=FF C0", FormatI2CCall(I2CCall::Write, 0x98, 0x0B, offset, 2));
    EXPECT_EQ("read device=98 register=3C length=0 data=", FormatI2CCall(I2CCall::Read, 0x98, 0x3C, nullptr, 0));
    EXPECT_EQ("rejected write: wrong tag", FormatI2CRejection(I2CCall::Write, "wrong tag"));

    I2CRegisters registers;
    registers.Write(0x98, 0x0B, offset, 2);
    uint8_t read[3] = {1, 1, 1};
    registers.Read(0x98, 0x0A, read, 3);
    EXPECT_EQ(0, read[0]);
    EXPECT_EQ(0xFF, read[1]);
    EXPECT_EQ(0xC0, read[2]);
    registers.Read(0x90, 0x0B, read, 1);
    EXPECT_EQ(0, read[0]);
}

}  // namespace
}  // namespace cardsim
