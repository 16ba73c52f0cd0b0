#include <gtest/gtest.h>

#include <vector>

#include "StreamCaps.h"
#include "TestTone.h"

namespace cardsim {
namespace {

std::vector<int16_t> Sound(size_t frames, uint64_t first, int rate, AudioInput input)
{
    std::vector<int16_t> samples(2 * frames);
    FillAudio(samples.data(), frames, first, rate, input);
    return samples;
}

TEST(TestTone, PitchNamesTheRoutedInputAtBothRates)
{
    for (int rate : AudioSampleRates()) {
        for (AudioInput input : {AudioInput::Hdmi, AudioInput::Spdif, AudioInput::Analog}) {
            const auto samples = Sound(static_cast<size_t>(rate / 10), 1000, rate, input);
            const AudioReading reading = ReadAudio(samples.data(), samples.size() / 2, rate);
            ASSERT_TRUE(reading.counterFound);
            EXPECT_EQ(1, reading.counterChannel);
            EXPECT_NEAR(ToneHz(input), reading.toneHz, 2.0) << rate;
        }
    }
    const auto silent = Sound(4800, 0, 48000, AudioInput::None);
    EXPECT_EQ(0.0, ReadAudio(silent.data(), 4800, 48000).toneHz);
}

TEST(TestTone, CounterRunsOnAcrossBuffersAndWraps)
{
    const auto first = Sound(960, 65000, 48000, AudioInput::Spdif);
    const auto second = Sound(960, 65960, 48000, AudioInput::Spdif);
    EXPECT_EQ(65000, ReadAudio(first.data(), 960, 48000).firstCounter);
    EXPECT_EQ(65960 % 65536, ReadAudio(second.data(), 960, 48000).firstCounter);

    std::vector<int16_t> joined(first);
    joined.insert(joined.end(), second.begin(), second.end());
    EXPECT_TRUE(ReadAudio(joined.data(), 1920, 48000).counterFound);

    // A lost sample frame breaks the count.
    joined.erase(joined.begin() + 2 * 500, joined.begin() + 2 * 501);
    EXPECT_FALSE(ReadAudio(joined.data(), 1919, 48000).counterFound);
}

TEST(TestTone, SwappedChannelsAreRecognised)
{
    auto samples = Sound(4800, 7, 48000, AudioInput::Analog);
    for (size_t i = 0; i < samples.size(); i += 2)
        std::swap(samples[i], samples[i + 1]);
    const AudioReading reading = ReadAudio(samples.data(), 4800, 48000);
    ASSERT_TRUE(reading.counterFound);
    EXPECT_EQ(0, reading.counterChannel);
    EXPECT_EQ(7, reading.firstCounter);
    EXPECT_NEAR(440.0, reading.toneHz, 1.0);
}

}  // namespace
}  // namespace cardsim
