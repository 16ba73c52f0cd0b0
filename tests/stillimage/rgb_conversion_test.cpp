#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "RgbConversion.h"

namespace stillimage {
namespace {

TEST(PixelConversion, BlackWhiteAndTheClampUnderBothMatrices)
{
    for (int matrix : {kMatrixBt601, kMatrixBt709}) {
        SCOPED_TRACE(matrix);
        EXPECT_EQ((Bgr{0, 0, 0}), ConvertPixelExact(16, 128, 128, matrix));
        // 1.164 x 219 = 254.916, truncated.
        EXPECT_EQ((Bgr{254, 254, 254}), ConvertPixelExact(235, 128, 128, matrix));
        EXPECT_EQ(255, ConvertPixelExact(255, 128, 255, matrix).r);
        EXPECT_EQ(0, ConvertPixelExact(0, 128, 128, matrix).g);
    }
    // Pure red of each matrix: its own triple gives no green or blue.
    EXPECT_EQ((Bgr{0, 0, 254}), ConvertPixelExact(81, 90, 240, kMatrixBt601));
    EXPECT_EQ((Bgr{0, 0, 255}), ConvertPixelExact(63, 102, 240, kMatrixBt709));
    // Any code but 2 is BT.601.
    EXPECT_EQ(ConvertPixelExact(81, 90, 240, kMatrixBt601), ConvertPixelExact(81, 90, 240, 0));
    EXPECT_NE(ConvertPixelExact(81, 90, 240, kMatrixBt601), ConvertPixelExact(81, 90, 240, kMatrixBt709));
}

TEST(PixelConversion, TablesAgreeWithTheFormulaForEveryTriple)
{
    for (int matrix : {kMatrixBt601, kMatrixBt709}) {
        long differing = 0;
        for (int y = 0; y < 256; ++y)
            for (int u = 0; u < 256; ++u)
                for (int v = 0; v < 256; ++v)
                    differing += ConvertPixel(y, u, v, matrix) == ConvertPixelExact(y, u, v, matrix) ? 0 : 1;
        EXPECT_EQ(0, differing) << "matrix " << matrix;
    }
}

struct Yuy2Frame {
    FrameFormat format;
    std::vector<uint8_t> bytes;

    Yuy2Frame(int width, int height)
        : format{width, height, 16, kFourccYuy2},
          bytes(DibStride(16, width) * format.Rows())
    {
    }
    void Put(int x, int y, uint8_t y0, uint8_t u, uint8_t y1, uint8_t v)
    {
        uint8_t* pair = &bytes[y * DibStride(16, format.width) + 2 * x];
        pair[0] = y0;
        pair[1] = u;
        pair[2] = y1;
        pair[3] = v;
    }
};

struct Picture {
    int width, height;
    size_t stride;
    std::vector<uint8_t> bits;

    Picture(int w, int h, uint8_t fill = 0x5A) : width(w), height(h), stride(DibStride(24, w)), bits(stride * h, fill)
    {
    }
    RgbPicture View() { return {bits.data(), stride, width, height}; }
    Bgr At(int x, int y) const
    {
        const uint8_t* p = &bits[y * stride + 3 * x];
        return {p[0], p[1], p[2]};
    }
};

TEST(ConvertToRgb, EachRowComesFromTheFrameItsFieldNames)
{
    // Frame A grey 100, frame B grey 200, both 5 pixels wide (the last column is odd)
    // and 4 rows high; bottom-up headers read rows from the top just the same.
    Yuy2Frame a(5, -4), b(5, -4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; x += 2) {
            a.Put(x, y, 100, 128, 100, 128);
            b.Put(x, y, 200, 128, 200, 128);
        }
    const uint8_t grey100 = ConvertPixelExact(100, 128, 128, kMatrixBt601).g;
    const uint8_t grey200 = ConvertPixelExact(200, 128, 128, kMatrixBt601).g;
    const struct {
        FieldSources sources;
        uint8_t even, odd;
    } weaves[] = {{{false, false}, grey100, grey100},
                  {{true, true}, grey200, grey200},
                  {{true, false}, grey200, grey100},
                  {{false, true}, grey100, grey200}};
    for (const auto& weave : weaves) {
        Picture picture(5, 4);
        ASSERT_TRUE(ConvertToRgb(a.format, a.bytes.data(), b.bytes.data(), a.bytes.size(), kMatrixBt601, weave.sources,
                                 picture.View()));
        for (int y = 0; y < 4; ++y) {
            const uint8_t expected = y % 2 == 0 ? weave.even : weave.odd;
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ((Bgr{expected, expected, expected}), picture.At(x, y)) << x << "," << y;
            EXPECT_EQ((Bgr{0x5A, 0x5A, 0x5A}), picture.At(4, y)) << "the odd column is left as it was";
            EXPECT_EQ(0x5A, picture.bits[y * picture.stride + 15]) << "the row padding is left as it was";
        }
    }
}

TEST(ConvertToRgb, BothPixelsOfAPairShareItsChroma)
{
    Yuy2Frame frame(4, 1);
    frame.Put(0, 0, 81, 90, 145, 240);
    frame.Put(2, 0, 41, 240, 210, 110);
    Picture picture(4, 1);
    ASSERT_TRUE(ConvertToRgb(frame.format, frame.bytes.data(), frame.bytes.data(), frame.bytes.size(), kMatrixBt709, {},
                             picture.View()));
    EXPECT_EQ(ConvertPixelExact(81, 90, 240, kMatrixBt709), picture.At(0, 0));
    EXPECT_EQ(ConvertPixelExact(145, 90, 240, kMatrixBt709), picture.At(1, 0));
    EXPECT_EQ(ConvertPixelExact(41, 240, 110, kMatrixBt709), picture.At(2, 0));
    EXPECT_EQ(ConvertPixelExact(210, 240, 110, kMatrixBt709), picture.At(3, 0));
}

TEST(ConvertToRgb, ProducesNothingForOtherSubtypesOrMissingParts)
{
    Yuy2Frame frame(8, 2);
    Picture picture(8, 2);
    const uint8_t* bytes = frame.bytes.data();
    const size_t size = frame.bytes.size();
    EXPECT_TRUE(ConvertToRgb(frame.format, bytes, bytes, size, 1, {}, picture.View()));
    FrameFormat yuyv = frame.format;
    yuyv.compression = kFourccYuyv;
    EXPECT_TRUE(ConvertToRgb(yuyv, bytes, bytes, size, 1, {}, picture.View()));

    for (uint32_t other : {0u, MakeFourcc('U', 'Y', 'V', 'Y'), MakeFourcc('N', 'V', '1', '2')}) {
        FrameFormat format = frame.format;
        format.compression = other;
        EXPECT_FALSE(ConvertToRgb(format, bytes, bytes, size, 1, {}, picture.View()));
    }
    EXPECT_FALSE(ConvertToRgb(frame.format, bytes, nullptr, size, 1, {}, picture.View()));
    EXPECT_FALSE(ConvertToRgb(frame.format, nullptr, bytes, size, 1, {}, picture.View()));
    EXPECT_FALSE(ConvertToRgb(frame.format, bytes, bytes, size, 1, {}, RgbPicture{}));
    Picture small(8, 1);
    EXPECT_FALSE(ConvertToRgb(frame.format, bytes, bytes, size, 1, {}, small.View()));
    EXPECT_FALSE(ConvertToRgb(frame.format, bytes, bytes, size - 1, 1, {}, picture.View()));
}

// ffmpeg's own conversion of the same frame, limited range in, chroma taken per pixel
// pair; it rounds where the formula truncates, so it may be one above, never more.
std::vector<uint8_t> FfmpegBgr24(const Yuy2Frame& frame, const char* matrix)
{
    const std::string folder = testing::TempDir();
    const std::string in = folder + "still-ffmpeg-" + matrix + ".yuy2";
    const std::string out = folder + "still-ffmpeg-" + matrix + ".bgr";
    FILE* file = std::fopen(in.c_str(), "wb");
    if (!file)
        return {};
    std::fwrite(frame.bytes.data(), 1, frame.bytes.size(), file);
    std::fclose(file);
    const std::string command = "ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt yuyv422 -s " +
                                std::to_string(frame.format.width) + "x" + std::to_string(frame.format.height) +
                                " -i " + in + " -vf scale=in_color_matrix=" + matrix +
                                ":in_range=tv:out_range=pc:flags=neighbor+accurate_rnd+full_chroma_int+bitexact"
                                " -pix_fmt bgr24 -f rawvideo " +
                                out;
    if (std::system(command.c_str()) != 0)
        return {};
    std::vector<uint8_t> bgr(static_cast<size_t>(frame.format.width) * frame.format.height * 3);
    file = std::fopen(out.c_str(), "rb");
    const size_t read = file ? std::fread(bgr.data(), 1, bgr.size(), file) : 0;
    if (file)
        std::fclose(file);
    std::remove(in.c_str());
    std::remove(out.c_str());
    return read == bgr.size() ? bgr : std::vector<uint8_t>{};
}

TEST(ConvertToRgb, AgreesWithFfmpegWithinOneAtEveryPixel)
{
#ifdef _WIN32
    GTEST_SKIP() << "ffmpeg is run by the native build of this test";
#endif
    // Every legal limited-range value, in a random order.
    const int width = 1920, height = 1080;
    Yuy2Frame frame(width, height);
    std::mt19937 random(16);
    std::uniform_int_distribution<int> luma(16, 235), chroma(16, 240);
    for (size_t i = 0; i < frame.bytes.size(); i += 4) {
        frame.bytes[i] = static_cast<uint8_t>(luma(random));
        frame.bytes[i + 1] = static_cast<uint8_t>(chroma(random));
        frame.bytes[i + 2] = static_cast<uint8_t>(luma(random));
        frame.bytes[i + 3] = static_cast<uint8_t>(chroma(random));
    }
    const struct {
        int code;
        const char* name;
    } matrices[] = {{kMatrixBt601, "bt601"}, {kMatrixBt709, "bt709"}};
    for (const auto& matrix : matrices) {
        SCOPED_TRACE(matrix.name);
        const std::vector<uint8_t> reference = FfmpegBgr24(frame, matrix.name);
        ASSERT_FALSE(reference.empty()) << "ffmpeg did not convert the frame";
        Picture picture(width, height);
        ASSERT_TRUE(ConvertToRgb(frame.format, frame.bytes.data(), frame.bytes.data(), frame.bytes.size(), matrix.code,
                                 {}, picture.View()));
        long beyondOne = 0, same = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width * 3; ++x) {
                const int difference =
                    reference[(static_cast<size_t>(y) * width * 3) + x] - picture.bits[y * picture.stride + x];
                beyondOne += difference < 0 || difference > 1 ? 1 : 0;
                same += difference == 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(0, beyondOne);
        std::cout << matrix.name << ": " << same << " of " << width * height * 3 << " channels equal, the rest 1 above"
                  << std::endl;
    }
}

}  // namespace
}  // namespace stillimage
