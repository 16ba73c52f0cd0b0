// The Motion JPEG compressor's driver state: a tagged, versioned block holding its quality.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace standin {

constexpr size_t kMjpegStateBytes = 12;
constexpr int kDefaultMjpegQuality = 75;

// "SMJP", u32 version 1, u32 quality (little-endian).
std::array<uint8_t, kMjpegStateBytes> SerializeMjpegState(int quality);
// The quality of a well-formed block; nothing for a wrong size, tag, version or quality.
std::optional<int> ParseMjpegState(const uint8_t* bytes, size_t size);

}  // namespace standin
