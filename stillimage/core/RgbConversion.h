// YUY2 frames to a 24-bit picture (B, G, R per pixel, rows from the top) with the
// BT.601 or BT.709 matrix, limited range.
#pragma once

#include "FieldChoice.h"
#include "FrameFormat.h"

namespace stillimage {

enum Matrix : int {
    kMatrixBt601 = 1,
    kMatrixBt709 = 2,  // any other code converts as BT.601
};

struct Bgr {
    uint8_t b, g, r;

    bool operator==(const Bgr&) const = default;
};

// The defining formula, in double precision: each channel truncated towards zero, then
// clamped to 0..255.
Bgr ConvertPixelExact(int y, int u, int v, int matrix);
// The same results from tables of the formula's products, as the frame conversion makes them.
Bgr ConvertPixel(int y, int u, int v, int matrix);

struct RgbPicture {
    uint8_t* bits = nullptr;
    size_t stride = 0;  // bytes from one row to the next, at least 3 x width
    int width = 0;
    int height = 0;
};

// Row y comes from frame B when the field sources say so for its parity, else from A.
// Frames are `bytes` long each. Fails without both frames or a picture, for a subtype
// other than YUY2/YUYV, for a header that does not fit the buffers, or a picture
// smaller than the frame. An odd last column is left as it was.
bool ConvertToRgb(const FrameFormat& format, const uint8_t* frameA, const uint8_t* frameB, size_t bytes, int matrix,
                  FieldSources sources, const RgbPicture& picture);

}  // namespace stillimage
