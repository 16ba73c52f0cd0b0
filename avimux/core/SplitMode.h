// How a set of AVI 1.0 files moves on to its next file, stored as its number.
#pragma once

#include <cstdint>

namespace trelvox {

enum class SplitMode : uint32_t {
    FileSize = 0,
    FrameCount = 1,
    KeyFrameCount = 2,
};

}  // namespace trelvox
