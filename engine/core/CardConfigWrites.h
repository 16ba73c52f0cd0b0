// The card configuration file's values and the register writes that put them
// on the card's video converter.
#pragma once

#include <array>
#include <cstdint>

namespace engine {

// The section "Config" of the configuration file, at its defaults.
struct CardConfig {
    int32_t redGain = 97;      // "iRGain"
    int32_t greenGain = 100;   // "iGGain"
    int32_t blueGain = 96;     // "iBGain"
    int32_t redOffset = 16;    // "iROffset"
    int32_t greenOffset = 32;  // "iGOffset"
    int32_t blueOffset = 16;   // "iBOffset"
    int32_t autoGain = 0;      // "bAutoGain"
    int32_t autoOffset = 0;    // "bAutoOffset"
};

// The converter's address on the card's I2C bus.
constexpr uint32_t kCardConverterAddress = 0x98;

struct CardRegisterWrite {
    uint32_t registerNumber;
    uint32_t length;  // 1 or 2
    std::array<uint8_t, 2> data;
};

constexpr int kCardConfigWriteCount = 8;

// The longest wait, in milliseconds, between an input change and the writes.
constexpr int kMaxCardConfigWaitMs = 1000;

// The writes in the order they go to the card, for an input format index
// (1 480i ... 5 1080p, 0 none).
std::array<CardRegisterWrite, kCardConfigWriteCount> CardConfigWrites(const CardConfig& config, int format);

}  // namespace engine
