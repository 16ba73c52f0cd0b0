#include "WaveFormatMatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace engine {
namespace {

// WAVEFORMATEX bytes: tag, channels, rate, bytes per second, block align, bits, cbSize, extra.
std::vector<std::uint8_t> Format(std::uint16_t tag, std::uint32_t rate, std::vector<std::uint8_t> extra = {})
{
    const std::uint16_t channels = 2, blockAlign = 4, bits = 16;
    const std::uint32_t bytesPerSecond = rate * blockAlign;
    std::vector<std::uint8_t> bytes;
    auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    put(tag, 2);
    put(channels, 2);
    put(rate, 4);
    put(bytesPerSecond, 4);
    put(blockAlign, 2);
    put(bits, 2);
    put(static_cast<std::uint32_t>(extra.size()), 2);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    return bytes;
}

TEST(WaveFormatMatch, SameBytesOverTheDeclaredSize)
{
    EXPECT_TRUE(SameWaveFormat(Format(1, 48000), Format(1, 48000)));
    EXPECT_FALSE(SameWaveFormat(Format(1, 48000), Format(1, 44100)));
    EXPECT_TRUE(SameWaveFormat(Format(2, 48000, {1, 2}), Format(2, 48000, {1, 2})));
    EXPECT_FALSE(SameWaveFormat(Format(2, 48000, {1, 2}), Format(2, 48000, {1, 3})));
    EXPECT_FALSE(SameWaveFormat(Format(2, 48000, {1, 2}), Format(2, 48000))) << "other cbSize";

    // Bytes beyond 18 + cbSize (a format block the pin gave larger) do not count.
    std::vector<std::uint8_t> padded = Format(1, 48000);
    padded.push_back(0xEE);
    EXPECT_TRUE(SameWaveFormat(padded, Format(1, 48000)));
}

TEST(WaveFormatMatch, AbsentFormatsMatchOnlyEachOtherAndShortBlocksNothing)
{
    EXPECT_TRUE(SameWaveFormat({}, {}));
    EXPECT_FALSE(SameWaveFormat({}, Format(1, 48000)));
    EXPECT_FALSE(SameWaveFormat(Format(1, 48000), {}));

    std::vector<std::uint8_t> cut = Format(2, 48000, {1, 2});
    cut.pop_back();  // cbSize says 2 more bytes than are there
    EXPECT_FALSE(SameWaveFormat(cut, cut));
    const std::vector<std::uint8_t> tiny(10, 0);
    EXPECT_FALSE(SameWaveFormat(tiny, tiny));
}

}  // namespace
}  // namespace engine
