// Huffman codes built from a table's counts and values, and the entropy-coded segment
// writer with its 0xFF byte stuffing.
#pragma once

#include <cstdint>
#include <vector>

#include "JpegTables.h"

namespace standin {

struct HuffmanCode {
    uint16_t bits = 0;
    uint8_t length = 0;  // 0: the value has no code
};

class HuffmanCodes {
public:
    explicit HuffmanCodes(const HuffmanTable& table);
    const HuffmanCode& operator[](uint8_t value) const { return codes_[value]; }

private:
    HuffmanCode codes_[256];
};

class JpegBitWriter {
public:
    explicit JpegBitWriter(std::vector<uint8_t>& out) : out_(out) {}

    // The low `length` bits of `bits`, most significant first; length <= 16.
    void Put(uint32_t bits, int length);
    // Fills the last byte with one bits.
    void Flush();

private:
    void Emit(uint8_t byte);

    std::vector<uint8_t>& out_;
    uint32_t buffer_ = 0;
    int count_ = 0;
};

}  // namespace standin
