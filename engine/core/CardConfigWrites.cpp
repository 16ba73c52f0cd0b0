#include "CardConfigWrites.h"

namespace engine {

namespace {

constexpr uint32_t kRedGainRegister = 0x05;
constexpr uint32_t kGreenGainRegister = 0x07;
constexpr uint32_t kBlueGainRegister = 0x09;
constexpr uint32_t kRedOffsetRegister = 0x0B;
constexpr uint32_t kGreenOffsetRegister = 0x0D;
constexpr uint32_t kBlueOffsetRegister = 0x0F;
constexpr uint32_t kModeRegister = 0x1B;
constexpr uint32_t kAutoGainRegister = 0x3C;

constexpr uint8_t kModeStandardDefinition = 0x13;
constexpr uint8_t kModeHighDefinition = 0x1B;
constexpr uint8_t kModeAutoOffset = 0x20;
constexpr uint8_t kAutoGainOn = 0x0E;

// An offset keeps 10 bits, shifted to the top of a 16-bit number.
constexpr int kOffsetShift = 6;

CardRegisterWrite Gain(uint32_t reg, int32_t gain)
{
    return {reg, 2, {static_cast<uint8_t>(gain & 0xFF), 0x00}};
}

CardRegisterWrite Offset(uint32_t reg, int32_t offset)
{
    const auto value = static_cast<uint16_t>(static_cast<uint32_t>(offset) << kOffsetShift);
    return {reg, 2, {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value & 0xFF)}};
}

CardRegisterWrite Single(uint32_t reg, uint8_t value)
{
    return {reg, 1, {value, 0x00}};
}

uint8_t ModeByte(const CardConfig& config, int format)
{
    const bool standardDefinition = format == 1 || format == 2;  // 480i, 480p
    const uint8_t mode = standardDefinition ? kModeStandardDefinition : kModeHighDefinition;
    return config.autoOffset != 0 ? static_cast<uint8_t>(mode | kModeAutoOffset) : mode;
}

}  // namespace

std::array<CardRegisterWrite, kCardConfigWriteCount> CardConfigWrites(const CardConfig& config, int format)
{
    return {
        Gain(kRedGainRegister, config.redGain),
        Gain(kGreenGainRegister, config.greenGain),
        Gain(kBlueGainRegister, config.blueGain),
        Offset(kRedOffsetRegister, config.redOffset),
        Offset(kGreenOffsetRegister, config.greenOffset),
        Offset(kBlueOffsetRegister, config.blueOffset),
        Single(kModeRegister, ModeByte(config, format)),
        Single(kAutoGainRegister, config.autoGain != 0 ? kAutoGainOn : 0x00),
    };
}

}  // namespace engine
