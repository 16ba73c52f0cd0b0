#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ImageOutput.h"

namespace stillimage {
namespace {

TEST(ImageOutput, ExtensionAndMimeTypeOfAnEncoder)
{
    EXPECT_EQ(L"bmp", ExtensionFromPattern(L"*.BMP;*.DIB;*.RLE"));
    EXPECT_EQ(L"jpg", ExtensionFromPattern(L"*.JPG;*.JPEG;*.JPE;*.JFIF"));
    EXPECT_EQ(L"png", ExtensionFromPattern(L"*.PNG"));
    EXPECT_EQ(L"", ExtensionFromPattern(L"PNG"));
    EXPECT_EQ(L"", ExtensionFromPattern(L""));

    EXPECT_TRUE(SameMimeType(L"image/jpeg", L"IMAGE/JPEG"));
    EXPECT_FALSE(SameMimeType(L"image/jpeg", L"image/jpg"));
    EXPECT_FALSE(SameMimeType(L"image/png", L"image/pngx"));
}

uint32_t U32(const uint8_t* p)
{
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

TEST(ImageOutput, TheClipboardBitmapIsBottomUpWithAFortyByteHeader)
{
    // 3 x 2 picture, rows 9 bytes of pixels 15 bytes apart.
    std::vector<uint8_t> bits(30, 0xEE);
    for (int i = 0; i < 9; ++i) {
        bits[i] = static_cast<uint8_t>(i + 1);
        bits[15 + i] = static_cast<uint8_t>(0xA0 + i);
    }
    const RgbPicture picture{bits.data(), 15, 3, 2};

    ASSERT_EQ(40u + 12u * 2u + 4u, DibBlockBytes(3, 2));
    std::vector<uint8_t> block(DibBlockBytes(3, 2), 0xCC);
    WriteDib(picture, block.data());
    EXPECT_EQ(40u, U32(&block[0]));             // biSize
    EXPECT_EQ(3u, U32(&block[4]));              // biWidth
    EXPECT_EQ(2u, U32(&block[8]));              // biHeight, positive
    EXPECT_EQ(1, block[12] | block[13] << 8);   // biPlanes
    EXPECT_EQ(24, block[14] | block[15] << 8);  // biBitCount
    EXPECT_EQ(0u, U32(&block[16]));             // BI_RGB
    EXPECT_EQ(24u, U32(&block[20]));            // biSizeImage
    EXPECT_EQ(72u, U32(&block[24]));            // biXPelsPerMeter
    EXPECT_EQ(72u, U32(&block[28]));            // biYPelsPerMeter
    EXPECT_EQ(0u, U32(&block[32]));             // biClrUsed
    EXPECT_EQ(0u, U32(&block[36]));             // biClrImportant
    EXPECT_EQ(0, std::memcmp(&block[40], &bits[15], 9)) << "the bottom row comes first";
    EXPECT_EQ(0, std::memcmp(&block[52], &bits[0], 9));
    for (size_t at : {49u, 50u, 51u, 61u, 62u, 63u})
        EXPECT_EQ(0, block[at]) << "padding at " << at;
}

}  // namespace
}  // namespace stillimage
