#include "I2CBus.h"

#include <cstdio>

namespace cardsim {
namespace {

const char* NameOf(I2CCall call)
{
    return call == I2CCall::Write ? "write" : "read";
}

std::string Hex(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

}  // namespace

void I2CRegisters::Write(uint32_t device, uint32_t reg, const uint8_t* data, uint32_t length)
{
    for (uint32_t i = 0; i < length; ++i)
        bytes_[{device, reg + i}] = data[i];
}

void I2CRegisters::Read(uint32_t device, uint32_t reg, uint8_t* data, uint32_t length) const
{
    for (uint32_t i = 0; i < length; ++i) {
        const auto found = bytes_.find({device, reg + i});
        data[i] = found == bytes_.end() ? 0 : found->second;
    }
}

std::string FormatI2CCall(I2CCall call, uint32_t device, uint32_t reg, const uint8_t* data, uint32_t length)
{
    std::string line = std::string(NameOf(call)) + " device=" + Hex(device, 2) + " register=" + Hex(reg, 2) +
                       " length=" + std::to_string(length) + " data=";
    for (uint32_t i = 0; i < length; ++i) {
        if (i != 0)
            line += ' ';
        line += Hex(data[i], 2);
    }
    return line;
}

std::string FormatI2CRejection(I2CCall call, const std::string& reason)
{
    return std::string("rejected ") + NameOf(call) + ": " + reason;
}

}  // namespace cardsim
