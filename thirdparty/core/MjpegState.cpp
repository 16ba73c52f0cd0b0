#include "MjpegState.h"

#include <cstring>

#include "JpegEncoder.h"

namespace standin {
namespace {

constexpr uint8_t kTag[4] = {'S', 'M', 'J', 'P'};
constexpr uint32_t kVersion = 1;
constexpr size_t kVersionOffset = 4;
constexpr size_t kQualityOffset = 8;

void PutU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* at)
{
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace

std::array<uint8_t, kMjpegStateBytes> SerializeMjpegState(int quality)
{
    std::array<uint8_t, kMjpegStateBytes> bytes{};
    std::memcpy(bytes.data(), kTag, sizeof kTag);
    PutU32(bytes.data() + kVersionOffset, kVersion);
    PutU32(bytes.data() + kQualityOffset, static_cast<uint32_t>(quality));
    return bytes;
}

std::optional<int> ParseMjpegState(const uint8_t* bytes, size_t size)
{
    if (!bytes || size != kMjpegStateBytes || std::memcmp(bytes, kTag, sizeof kTag) != 0 ||
        GetU32(bytes + kVersionOffset) != kVersion)
        return std::nullopt;
    const uint32_t quality = GetU32(bytes + kQualityOffset);
    if (quality < kMinJpegQuality || quality > kMaxJpegQuality)
        return std::nullopt;
    return static_cast<int>(quality);
}

}  // namespace standin
