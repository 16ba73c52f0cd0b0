// Whether an audio format list entry's input format is the connected format.
#pragma once

#include <cstdint>
#include <span>

namespace engine {

// Two WAVEFORMATEX blocks (empty = absent) are the same when both are absent,
// or when both hold the same cbSize and the same 18 + cbSize bytes. A block
// shorter than its own 18 + cbSize never matches.
bool SameWaveFormat(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

}  // namespace engine
