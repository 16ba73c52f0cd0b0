#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "InputKind.h"
#include "StreamCaps.h"
#include "TestPicture.h"

namespace cardsim {
namespace {

struct Frame {
    int width;
    int height;
    size_t stride;
    std::vector<uint8_t> bytes;

    Frame(int w, int h) : width(w), height(h), stride(static_cast<size_t>(w) * 2), bytes(Yuy2FrameBytes(w, h)) {}
    uint8_t Luma(int x, int y) const { return bytes[y * stride + 2 * x]; }
};

Frame Painted(int width, int height, uint32_t number, bool interlaced)
{
    Frame frame(width, height);
    PaintFrame(frame.bytes.data(), frame.stride, width, height, number, interlaced);
    return frame;
}

TEST(TestPicture, FrameNumberReadsBackAtEverySize)
{
    const uint32_t numbers[] = {0, 1, 2, 12345, 0x80000001u, 0xFFFFFFFFu};
    for (const VideoCapability& cap : VideoCapabilities()) {
        for (uint32_t number : numbers) {
            const Frame frame = Painted(cap.width, cap.height, number, true);
            EXPECT_EQ(std::optional<uint32_t>(number),
                      ReadFrameNumber(frame.bytes.data(), frame.stride, cap.width, cap.height))
                << cap.width << "x" << cap.height << " frame " << number;
        }
    }
}

TEST(TestPicture, FrameNumberSurvivesNoiseAndRgbConversion)
{
    Frame frame = Painted(1280, 720, 0x00C0FFEE, false);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-40, 40);
    for (uint8_t& byte : frame.bytes)
        byte = static_cast<uint8_t>(std::clamp(byte + noise(random), 0, 255));
    EXPECT_EQ(std::optional<uint32_t>(0x00C0FFEE), ReadFrameNumber(frame.bytes.data(), frame.stride, 1280, 720));

    // A decoder's grey RGB picture, bottom-up with a padded stride.
    const Frame clean = Painted(720, 480, 4242, true);
    const size_t rgbStride = 720 * 3 + 4;
    std::vector<uint8_t> rgb(rgbStride * 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 720; ++x) {
            const int grey = std::clamp((clean.Luma(x, y) - 16) * 255 / 219, 0, 255);
            uint8_t* pixel = &rgb[(479 - y) * rgbStride + 3 * x];
            pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(grey);
        }
    }
    EXPECT_EQ(std::optional<uint32_t>(4242), ReadFrameNumber(LumaView::BottomUpRgb24(rgb.data(), rgbStride, 720, 480)));
}

TEST(TestPicture, PicturesWithoutTheCodeAreNotRead)
{
    Frame grey(720, 480);
    std::fill(grey.bytes.begin(), grey.bytes.end(), uint8_t{128});
    EXPECT_FALSE(ReadFrameNumber(grey.bytes.data(), grey.stride, 720, 480));

    // The coded rows and their inverse must disagree everywhere: a white top band is no code.
    Frame frame = Painted(720, 480, 99, false);
    const int band = CodeBandRows(480);
    std::fill(frame.bytes.begin() + band * frame.stride, frame.bytes.begin() + 2 * band * frame.stride, uint8_t{235});
    EXPECT_FALSE(ReadFrameNumber(frame.bytes.data(), frame.stride, 720, 480));

    EXPECT_FALSE(ReadFrameNumber(nullptr, 0, 720, 480));
}

// Rows of the picture that differ from the row below, within the marker's band.
int CombedRows(const Frame& frame)
{
    int combed = 0;
    for (int y = frame.height / 2 - frame.height / 8; y + 1 < frame.height / 2 + frame.height / 8; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            if (frame.Luma(x, y) != frame.Luma(x, y + 1)) {
                ++combed;
                break;
            }
        }
    }
    return combed;
}

TEST(TestPicture, InterlacedFramesShowTwoMomentsAndProgressiveOne)
{
    const Frame interlaced = Painted(1920, 1080, 10, true);
    const Frame progressive = Painted(1920, 1080, 10, false);
    EXPECT_EQ(0, CombedRows(progressive));
    EXPECT_GT(CombedRows(interlaced), 1080 / 4 - 2);

    // The marker moves from frame to frame.
    const Frame next = Painted(1920, 1080, 11, false);
    EXPECT_NE(MarkerLeft(1920, 10), MarkerLeft(1920, 11));
    EXPECT_EQ(235, next.Luma(MarkerLeft(1920, 11) + 1, 540));
}

TEST(DecoderReadings, EncodeEveryInputAsTheCardReportsIt)
{
    // The reading rule of a program using the card: lock 0 no signal, 1 interlaced,
    // other progressive; the line count picks the format.
    auto formatOf = [](DecoderReading r) {
        if (r.horizontalLocked == 0)
            return 0;
        switch (r.numberOfLines) {
        case 525:
            return r.horizontalLocked == 1 ? 1 : 2;
        case 750:
            return r.horizontalLocked == 1 ? 0 : 4;
        case 1125:
            return r.horizontalLocked == 1 ? 3 : 5;
        default:
            return 0;
        }
    };
    EXPECT_EQ(0, formatOf(DecoderReadingOf(InputKind::None)));
    EXPECT_EQ(1, formatOf(DecoderReadingOf(InputKind::Ntsc480i)));
    EXPECT_EQ(2, formatOf(DecoderReadingOf(InputKind::Ntsc480p)));
    EXPECT_EQ(3, formatOf(DecoderReadingOf(InputKind::Hd1080i)));
    EXPECT_EQ(4, formatOf(DecoderReadingOf(InputKind::Hd720p)));
    EXPECT_EQ(5, formatOf(DecoderReadingOf(InputKind::Hd1080p)));
    EXPECT_EQ(0, formatOf(DecoderReadingOf(InputKind::Unsupported)));
    EXPECT_NE(0, DecoderReadingOf(InputKind::Unsupported).horizontalLocked);
}

TEST(StreamCaps, OneCapabilityPerFormatAndOthersAtOtherRates)
{
    const std::vector<VideoCapability> caps = VideoCapabilities();
    for (InputKind kind :
         {InputKind::Ntsc480i, InputKind::Ntsc480p, InputKind::Hd1080i, InputKind::Hd720p, InputKind::Hd1080p}) {
        const InputTiming timing = TimingOf(kind);
        const auto exact = std::count_if(caps.begin(), caps.end(), [&](const VideoCapability& c) {
            return c.width == timing.width && c.height == timing.height && c.frameDuration == timing.frameDuration;
        });
        EXPECT_EQ(1, exact) << NameOf(kind);
    }
    // Without the exact 720p row, only a 720-line capability at another rate is left.
    const std::vector<VideoCapability> without = VideoCapabilities(4);
    EXPECT_EQ(caps.size() - 1, without.size());
    for (const VideoCapability& c : without) {
        if (c.height == 720) {
            EXPECT_NE(166833, c.frameDuration);
        }
    }
    EXPECT_TRUE(std::any_of(without.begin(), without.end(), [](const VideoCapability& c) { return c.height == 720; }));
}

}  // namespace
}  // namespace cardsim
