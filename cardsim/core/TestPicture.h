// The picture the simulated card delivers: colour bars with a moving marker and the frame
// number as a band of black and white blocks across the top.
//
// Code band: rows [0, CodeBandRows) hold 32 blocks, the most significant bit of the frame
// number on the left, white for 1; the rows below, as many again, hold the same blocks
// inverted, so a reader can tell a coded frame from any other picture.
// Interlaced inputs carry pictures whose two fields straddle frames, as a progressive
// source sent one field late: frame n holds picture n in its even rows and picture n + 1
// in its odd rows. A frame shows combing at the marker; the even rows of frame n + 1 woven
// with the odd rows of frame n give picture n + 1 whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace cardsim {

constexpr int kCodeBits = 32;

int CodeBandRows(int height);
// The moment (in field periods) a row of an interlaced frame shows: pictures change
// every other field.
int64_t FieldMoment(uint32_t frameNumber, int row);
// Left edge of the marker at a moment (a count of field periods).
int MarkerLeft(int width, int64_t moment);
int MarkerWidth(int width);

// Writes one YUY2 frame (rows top-down, stride bytes apart; width even).
void PaintFrame(uint8_t* frame, size_t stride, int width, int height, uint32_t frameNumber, bool interlaced);

// A view of the luma of a picture in any packed layout: the luma of pixel (x, y) is the byte
// at data + row * rowStride + x * pixelStep + lumaOffset, where row is y, or height - 1 - y
// for a bottom-up picture.
struct LumaView {
    const uint8_t* data = nullptr;
    ptrdiff_t rowStride = 0;
    int pixelStep = 2;
    int lumaOffset = 0;
    int width = 0;
    int height = 0;
    bool bottomUp = false;

    static LumaView Yuy2(const uint8_t* frame, size_t stride, int width, int height);
    // 24-bit RGB in DIB order (B, G, R; bottom-up): green follows the luma of a grey picture.
    static LumaView BottomUpRgb24(const uint8_t* frame, size_t stride, int width, int height);
};

// The frame number coded in a picture, or nothing when the picture carries no valid code.
std::optional<uint32_t> ReadFrameNumber(const LumaView& view);
std::optional<uint32_t> ReadFrameNumber(const uint8_t* yuy2Frame, size_t stride, int width, int height);

}  // namespace cardsim
