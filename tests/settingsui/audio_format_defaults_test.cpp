// The audio format list's default inputs and what makes a stored list unusable.
#include "core/AudioFormatDefaults.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using settingsui::DefaultAudioInputs;
using settingsui::PcmFormat;
using settingsui::ValidateAudioFormatList;

struct WaveFields {
    std::uint16_t tag, channels;
    std::uint32_t rate, bytesPerSecond;
    std::uint16_t blockAlign, bits, extra;
};

WaveFields Read(const std::vector<std::uint8_t>& format)
{
    WaveFields fields{};
    std::memcpy(&fields.tag, &format[0], 2);
    std::memcpy(&fields.channels, &format[2], 2);
    std::memcpy(&fields.rate, &format[4], 4);
    std::memcpy(&fields.bytesPerSecond, &format[8], 4);
    std::memcpy(&fields.blockAlign, &format[12], 2);
    std::memcpy(&fields.bits, &format[14], 2);
    std::memcpy(&fields.extra, &format[16], 2);
    return fields;
}

TEST(DefaultAudioInputs, SixPcmInputsStereoThenMonoFrom48000Down)
{
    const std::vector<AudioFormatPair> pairs = DefaultAudioInputs();
    ASSERT_EQ(6u, pairs.size());
    const std::uint32_t rates[] = {48000, 48000, 44100, 44100, 32000, 32000};
    for (size_t i = 0; i < pairs.size(); ++i) {
        ASSERT_EQ(18u, pairs[i].input.size());
        const WaveFields f = Read(pairs[i].input);
        const std::uint16_t channels = i % 2 == 0 ? 2 : 1;
        EXPECT_EQ(1, f.tag);
        EXPECT_EQ(channels, f.channels);
        EXPECT_EQ(rates[i], f.rate);
        EXPECT_EQ(channels * 2u, f.blockAlign);
        EXPECT_EQ(rates[i] * channels * 2u, f.bytesPerSecond);
        EXPECT_EQ(16, f.bits);
        EXPECT_EQ(0, f.extra);
        EXPECT_TRUE(pairs[i].output.empty());
        EXPECT_TRUE(pairs[i].outputText.empty());
    }
    EXPECT_EQ(L"44100Hz 1ch", settingsui::InputFormatText(pairs[3].input));
    EXPECT_TRUE(ValidateAudioFormatList(pairs));
}

TEST(ValidateAudioFormatList, RefusesAMissingInputAndInsaneFormats)
{
    std::vector<AudioFormatPair> pairs = DefaultAudioInputs();
    pairs[1].input[2] = 0;  // nChannels 0 in the second pair
    EXPECT_FALSE(ValidateAudioFormatList(pairs));

    pairs = DefaultAudioInputs();
    pairs[0].input.clear();
    EXPECT_FALSE(ValidateAudioFormatList(pairs));

    // A compressed output needs no bits per sample or block align, PCM does.
    pairs = DefaultAudioInputs();
    std::vector<std::uint8_t> alaw = PcmFormat(2, 48000);
    alaw[0] = 6;
    alaw[12] = alaw[14] = 0;
    pairs[0].output = alaw;
    EXPECT_TRUE(ValidateAudioFormatList(pairs));
    pairs[0].output[0] = 1;
    EXPECT_FALSE(ValidateAudioFormatList(pairs));

    pairs = DefaultAudioInputs();
    pairs[2].output = PcmFormat(2, 44100);
    pairs[2].output[8] = pairs[2].output[9] = pairs[2].output[10] = pairs[2].output[11] = 0;
    EXPECT_FALSE(ValidateAudioFormatList(pairs)) << "no bytes per second";
    pairs[2].output.resize(10);
    EXPECT_FALSE(ValidateAudioFormatList(pairs)) << "shorter than its base structure";

    // An output whose cbSize claims two extra bytes must carry them.
    pairs = DefaultAudioInputs();
    pairs[3].output = alaw;
    pairs[3].output[16] = 2;
    EXPECT_FALSE(ValidateAudioFormatList(pairs)) << "cbSize beyond the block";
    pairs[3].output.resize(20);
    EXPECT_TRUE(ValidateAudioFormatList(pairs));
}

}  // namespace
