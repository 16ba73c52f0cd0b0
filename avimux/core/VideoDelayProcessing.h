// What the delay before the first picture becomes, stored as its number.
#pragma once

#include <cstdint>

namespace trelvox {

enum class VideoDelayProcessing : uint32_t {
    DelayTime = 0,            // a start delay in the stream header
    NullFrames = 1,           // null frames before the first picture
    FullAndNullFrames = 2,    // the first picture, then null frames
    ReferenceTimeChange = 3,  // audio is measured from the first picture
};

}  // namespace trelvox
