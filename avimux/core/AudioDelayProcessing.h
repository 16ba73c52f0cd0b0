// What the delay before the first audio becomes, stored as its number.
#pragma once

#include <cstdint>

namespace trelvox {

enum class AudioDelayProcessing : uint32_t {
    DelayTime = 0,            // a start delay in the stream header
    ReferenceTimeChange = 1,  // video is measured from the first audio
    NullFrames = 2,           // silence before the first audio
};

}  // namespace trelvox
