// A baseline JPEG encoder for YUY2 pictures: 4:2:2 sampling, the example quantisation
// tables of the JPEG standard scaled by a quality of 1..100, and its example Huffman
// tables, all written into the stream (DQT, DHT), so any JPEG decoder reads a frame alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin {

// A packed Y0 U Y1 V picture in video range (Y 16..235, U and V 16..240), top row first.
struct Yuy2Picture {
    const uint8_t* data;
    int width;   // even, at least 2
    int height;  // at least 1
    ptrdiff_t stride;
};

constexpr int kMinJpegQuality = 1;
constexpr int kMaxJpegQuality = 100;

// Appends one JPEG image (SOI ... EOI) to `out`; quality is clamped to 1..100.
void EncodeJpeg(const Yuy2Picture& picture, int quality, std::vector<uint8_t>& out);

// The quantisation table for a quality, in natural (row by row) order.
void ScaledQuantTable(const uint8_t (&base)[64], int quality, uint8_t (&table)[64]);

}  // namespace standin
