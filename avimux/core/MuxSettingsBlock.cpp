#include "MuxSettingsBlock.h"

#include <algorithm>

namespace trelvox {
namespace {

constexpr uint32_t kVersionFieldBytes = kMuxSettingsStreamBytes - kMuxSettingsBytes;

}  // namespace

std::array<uint8_t, kMuxSettingsBytes> MuxSettingsBlock(const MuxSettings& settings)
{
    const auto stream = SerializeMuxSettings(settings);
    std::array<uint8_t, kMuxSettingsBytes> block;
    std::copy(stream.begin() + kVersionFieldBytes, stream.end(), block.begin());
    return block;
}

bool MuxSettingsFromBlock(const uint8_t* block, uint32_t length, MuxSettings* settings)
{
    if (block == nullptr || length != kMuxSettingsBytes)
        return false;
    std::array<uint8_t, kMuxSettingsStreamBytes> stream{};
    std::copy(block, block + length, stream.begin() + kVersionFieldBytes);
    return ParseMuxSettings(stream.data(), static_cast<uint32_t>(stream.size()), settings);
}

}  // namespace trelvox
