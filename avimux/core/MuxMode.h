// Trelvox's file layouts, stored as their numbers.
#pragma once

#include <cstdint>

namespace trelvox {

enum class MuxMode : uint32_t {
    Avi1FileSet = 0,  // numbered AVI 1.0 files, split by size
    OpenDml = 1,      // one OpenDML (AVI 2.0) file
};

// A stored number may name no layout.
constexpr bool IsKnownMuxMode(MuxMode mode)
{
    return mode == MuxMode::Avi1FileSet || mode == MuxMode::OpenDml;
}

}  // namespace trelvox
