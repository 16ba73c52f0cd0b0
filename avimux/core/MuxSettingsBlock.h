// The settings block as the filter's IPersistStream carries it: the version field ahead
// of it is written and read by the stream object, the filter moves only the block.
#pragma once

#include <array>
#include <cstdint>

#include "MuxSettings.h"

namespace trelvox {

std::array<uint8_t, kMuxSettingsBytes> MuxSettingsBlock(const MuxSettings& settings);
// False unless `length` is exactly one block. The result is bounded.
bool MuxSettingsFromBlock(const uint8_t* block, uint32_t length, MuxSettings* settings);

}  // namespace trelvox
