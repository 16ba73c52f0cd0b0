// The stored frames' layout, as their BITMAPINFOHEADER gives it, and the 24-bit
// picture they are converted into.
#pragma once

#include <cstddef>
#include <cstdint>

namespace stillimage {

constexpr uint32_t MakeFourcc(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

inline constexpr uint32_t kFourccYuy2 = MakeFourcc('Y', 'U', 'Y', '2');
inline constexpr uint32_t kFourccYuyv = MakeFourcc('Y', 'U', 'Y', 'V');
inline constexpr int kRgbBitCount = 24;

struct FrameFormat {
    int32_t width = 0;         // biWidth
    int32_t height = 0;        // biHeight; rows run from the top whatever its sign
    uint16_t bitCount = 0;     // biBitCount
    uint32_t compression = 0;  // biCompression, a FOURCC

    int32_t Rows() const { return height < 0 ? -height : height; }
    bool IsYuy2() const { return compression == kFourccYuy2 || compression == kFourccYuyv; }
};

// Bytes of one DIB row: bitCount bits per pixel, rounded up to whole 32-bit words.
constexpr size_t DibStride(int bitCount, int width)
{
    return (static_cast<size_t>(bitCount) * static_cast<size_t>(width) + 31) / 32 * 4;
}

// A YUY2 frame whose rows hold every pixel pair the header claims, in a buffer of
// at least stride x rows bytes.
bool IsReadableYuy2(const FrameFormat& format, size_t bufferBytes);

}  // namespace stillimage
