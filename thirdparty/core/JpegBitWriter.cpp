#include "JpegBitWriter.h"

namespace standin {

HuffmanCodes::HuffmanCodes(const HuffmanTable& table)
{
    uint16_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < table.counts[length - 1]; ++i) {
            codes_[table.values[index++]] = {code, static_cast<uint8_t>(length)};
            ++code;
        }
        code = static_cast<uint16_t>(code << 1);
    }
}

void JpegBitWriter::Put(uint32_t bits, int length)
{
    buffer_ = (buffer_ << length) | (bits & ((1u << length) - 1));
    count_ += length;
    while (count_ >= 8) {
        count_ -= 8;
        Emit(static_cast<uint8_t>(buffer_ >> count_));
    }
}

void JpegBitWriter::Flush()
{
    if (count_ > 0)
        Put(0x7F, 8 - count_);
    buffer_ = 0;
}

void JpegBitWriter::Emit(uint8_t byte)
{
    out_.push_back(byte);
    if (byte == 0xFF)
        out_.push_back(0x00);
}

}  // namespace standin
