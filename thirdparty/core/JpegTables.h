// The example tables of the JPEG standard (its annex K) and the zig-zag order.
#pragma once

#include <cstdint>

namespace standin {

// A Huffman table as a JPEG stream carries it: code counts per length 1..16, then the values.
struct HuffmanTable {
    uint8_t counts[16];
    const uint8_t* values;
    int valueCount;
};

extern const uint8_t kLuminanceQuant[64];    // natural order
extern const uint8_t kChrominanceQuant[64];  // natural order
extern const uint8_t kZigZag[64];            // zig-zag position -> natural index

extern const HuffmanTable kLuminanceDc;
extern const HuffmanTable kChrominanceDc;
extern const HuffmanTable kLuminanceAc;
extern const HuffmanTable kChrominanceAc;

}  // namespace standin
