// Our G.711 bytes as ffmpeg decodes them, against the PCM they were made from.
#include "G711.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "ExternalReaders.h"
#include "ReaderFiles.h"

namespace standin {
namespace {

// A 1 kHz tone at 8 kHz whose amplitude sweeps from faint to full scale.
std::vector<int16_t> SweptTone(size_t frames)
{
    std::vector<int16_t> samples(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double amplitude = 32767.0 * std::pow(10.0, -3.0 * (1.0 - static_cast<double>(i) / frames));
        samples[i] = static_cast<int16_t>(amplitude * std::sin(2 * 3.14159265358979 * 1000.0 * i / 8000.0));
    }
    samples.push_back(32767);  // the ends of the range
    samples.push_back(-32768);
    return samples;
}

std::vector<int16_t> DecodeWithFfmpeg(const std::vector<uint8_t>& coded, const char* format)
{
    const std::string input = test::TempPath(std::string("g711.") + format),
                      output = test::TempPath(std::string("g711_") + format + ".pcm");
    test::WriteFile(input, coded);
    std::remove(output.c_str());
    const auto result = trelvox::test::RunCommand(std::string("ffmpeg -nostdin -v error -y -f ") + format +
                                                  " -ar 8000 -ac 1 -i '" + input + "' -f s16le '" + output + "' 2>&1");
    EXPECT_EQ(0, result.status) << result.output;
    const std::vector<uint8_t> bytes = test::ReadFile(output);
    std::remove(input.c_str());
    std::remove(output.c_str());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

// The error relative to the sample: G.711 keeps about 4 bits of mantissa at every level.
double WorstRelativeError(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded)
{
    double worst = 0;
    for (size_t i = 0; i < original.size(); ++i) {
        const double magnitude = std::abs(static_cast<double>(original[i]));
        if (magnitude < 256)
            continue;  // near zero the fixed step of the first segments dominates
        worst = std::max(worst, std::abs(original[i] - decoded[i]) / magnitude);
    }
    return worst;
}

TEST(G711, FfmpegDecodesBothLawsWithinTheirStepSize)
{
    const std::vector<int16_t> tone = SweptTone(8000);
    for (const auto& [law, format] : {std::pair{Law::MuLaw, "mulaw"}, std::pair{Law::ALaw, "alaw"}}) {
        SCOPED_TRACE(format);
        std::vector<uint8_t> coded(tone.size());
        ASSERT_EQ(tone.size(), EncodeFrames(tone.data(), tone.size(), 1, law, 1, coded.data()));
        const std::vector<int16_t> decoded = DecodeWithFfmpeg(coded, format);
        ASSERT_EQ(tone.size(), decoded.size());
        EXPECT_LT(WorstRelativeError(tone, decoded), 1.0 / 16);
        for (size_t i = 0; i < tone.size(); ++i)
            ASSERT_LE(std::abs(tone[i] - decoded[i]), 1024) << "sample " << i << " of " << tone[i];
    }
}

TEST(G711, ChannelCountsConvert)
{
    const int16_t stereo[] = {12000, -12000, 3000, 5000};
    uint8_t mono[2];
    ASSERT_EQ(2u, EncodeFrames(stereo, 2, 2, Law::MuLaw, 1, mono));
    EXPECT_EQ(EncodeMuLaw(0), mono[0]);  // opposite channels cancel
    EXPECT_EQ(EncodeMuLaw(4000), mono[1]);

    const int16_t single[] = {-7000};
    uint8_t doubled[2];
    ASSERT_EQ(2u, EncodeFrames(single, 1, 1, Law::ALaw, 2, doubled));
    EXPECT_EQ(EncodeALaw(-7000), doubled[0]);
    EXPECT_EQ(doubled[0], doubled[1]);
}

}  // namespace
}  // namespace standin
