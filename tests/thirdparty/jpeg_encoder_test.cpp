// Our JPEG frames as ffmpeg decodes them, against the pictures they were made from.
#include "JpegEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ExternalReaders.h"
#include "ReaderFiles.h"

namespace standin {
namespace {

struct Yuy2Image {
    int width, height;
    std::vector<uint8_t> bytes;
    Yuy2Picture Picture() const { return {bytes.data(), width, height, static_cast<ptrdiff_t>(width) * 2}; }
};

// Smooth ramps with a sharp box in the middle: both the easy and the hard case for a DCT.
Yuy2Image TestImage(int width, int height)
{
    Yuy2Image image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 2)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool box = x > width / 3 && x < width * 2 / 3 && y > height / 3 && y < height * 2 / 3;
            uint8_t* pixel = &image.bytes[(static_cast<size_t>(y) * width + x) * 2];
            pixel[0] = static_cast<uint8_t>(box ? 220 : 16 + (x * 200) / width);
            pixel[1] = static_cast<uint8_t>((x % 2 == 0) ? (box ? 60 : 16 + (y * 220) / height) : (box ? 200 : 128));
        }
    return image;
}

// The planes ffmpeg expects from the image: full-range Y, U and V (4:2:2).
struct Planes {
    std::vector<double> y, u, v;
};

Planes ExpectedPlanes(const Yuy2Image& image)
{
    Planes planes;
    for (size_t i = 0; i < image.bytes.size(); i += 4) {
        planes.y.push_back((image.bytes[i] - 16) * 255.0 / 219.0);
        planes.u.push_back((image.bytes[i + 1] - 128) * 255.0 / 224.0 + 128);
        planes.y.push_back((image.bytes[i + 2] - 16) * 255.0 / 219.0);
        planes.v.push_back((image.bytes[i + 3] - 128) * 255.0 / 224.0 + 128);
    }
    return planes;
}

double Psnr(const std::vector<double>& expected, const uint8_t* actual)
{
    double squares = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const double expectedValue = std::clamp(expected[i], 0.0, 255.0);
        squares += (expectedValue - actual[i]) * (expectedValue - actual[i]);
    }
    const double mse = squares / static_cast<double>(expected.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

struct Decoded {
    std::string errors;
    std::vector<uint8_t> planes;  // yuvj422p
};

Decoded DecodeWithFfmpeg(const std::vector<uint8_t>& jpeg, const std::string& name)
{
    const std::string input = test::TempPath(name + ".jpg"), output = test::TempPath(name + ".yuv");
    test::WriteFile(input, jpeg);
    std::remove(output.c_str());
    const auto result = trelvox::test::RunCommand("ffmpeg -nostdin -v error -y -i '" + input +
                                                  "' -f rawvideo -pix_fmt yuvj422p '" + output + "' 2>&1");
    Decoded decoded{result.output + (result.status ? " (status " + std::to_string(result.status) + ")" : ""),
                    test::ReadFile(output)};
    std::remove(input.c_str());
    std::remove(output.c_str());
    return decoded;
}

struct Quality {
    double y, u, v;
    size_t bytes;
};

Quality EncodeAndMeasure(int width, int height, int quality)
{
    const Yuy2Image image = TestImage(width, height);
    std::vector<uint8_t> jpeg;
    EncodeJpeg(image.Picture(), quality, jpeg);
    const Decoded decoded = DecodeWithFfmpeg(jpeg, "jpeg_" + std::to_string(width) + "x" + std::to_string(height) +
                                                       "_q" + std::to_string(quality));
    EXPECT_EQ("", decoded.errors);
    const size_t lumaSize = static_cast<size_t>(width) * height, chromaSize = lumaSize / 2;
    EXPECT_EQ(lumaSize + 2 * chromaSize, decoded.planes.size());
    if (decoded.planes.size() != lumaSize + 2 * chromaSize)
        return {};
    const Planes expected = ExpectedPlanes(image);
    return {Psnr(expected.y, decoded.planes.data()), Psnr(expected.u, decoded.planes.data() + lumaSize),
            Psnr(expected.v, decoded.planes.data() + lumaSize + chromaSize), jpeg.size()};
}

TEST(JpegEncoder, FfmpegDecodesTheCardSizesCloseToTheInput)
{
    for (const auto& [width, height] : {std::pair{720, 480}, std::pair{1280, 720}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const Quality measured = EncodeAndMeasure(width, height, 90);
        EXPECT_GT(measured.y, 38.0);
        EXPECT_GT(measured.u, 38.0);
        EXPECT_GT(measured.v, 38.0);
    }
}

TEST(JpegEncoder, SizesThatLeavePartialBlocksRepeatTheEdge)
{
    // 100 is no multiple of 16 and 30 no multiple of 8; 2 x 1 is the smallest YUY2 picture.
    for (const auto& [width, height] : {std::pair{100, 30}, std::pair{2, 1}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const Quality measured = EncodeAndMeasure(width, height, 90);
        EXPECT_GT(measured.y, 34.0);
        EXPECT_GT(measured.u, 34.0);
    }
}

TEST(JpegEncoder, LowerQualityMeansSmallerFramesAndMoreLoss)
{
    const Quality low = EncodeAndMeasure(320, 240, 10), high = EncodeAndMeasure(320, 240, 98);
    EXPECT_LT(low.bytes * 2, high.bytes);
    EXPECT_LT(low.y + 8, high.y);
    EXPECT_GT(low.y, 24.0);  // still the same picture
    EXPECT_GT(high.y, 45.0);
}

TEST(JpegEncoder, QualityScalesTheTablesWithinBaselineLimits)
{
    const uint8_t base[64] = {16, 255, 1};
    uint8_t table[64];
    ScaledQuantTable(base, 50, table);
    EXPECT_EQ(16, table[0]);
    EXPECT_EQ(255, table[1]);
    ScaledQuantTable(base, 100, table);
    EXPECT_EQ(1, table[0]);
    EXPECT_EQ(1, table[1]);
    ScaledQuantTable(base, 0, table);  // clamped to 1: 50 times coarser, but never above 255
    EXPECT_EQ(255, table[0]);
    EXPECT_EQ(1 * 50, table[2]);
}

}  // namespace
}  // namespace standin
