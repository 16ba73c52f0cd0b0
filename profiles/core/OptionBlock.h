// Option blocks: u32 size S, then S bytes whose own first u32 is S again.
// The "Record" stream puts a stream version in front; "PARAMS" does not.
#pragma once

#include "ProfileStatus.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace profiles {

enum class BlockVersion { None, Prefixed };

// The block's first u32 must equal its length.
Status EncodeOptionBlock(std::span<const std::uint8_t> block, BlockVersion version, std::vector<std::uint8_t>& stream);

// Fills an expectedSize buffer: a shorter stored block leaves the tail zero,
// a longer one is cut. storedSize reports S.
Status DecodeOptionBlock(std::span<const std::uint8_t> stream, BlockVersion version, std::size_t expectedSize,
                         std::vector<std::uint8_t>& block, std::uint32_t& storedSize);

}  // namespace profiles
