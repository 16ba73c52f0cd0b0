// Which stored frame supplies the even and the odd rows of an interlaced still:
// of the four weaves (AA, BB, BA, AB) the one that combs at the fewest sample points.
#pragma once

#include "FrameFormat.h"

#include <optional>

namespace stillimage {

struct FieldSources {
    bool evenFromB = false;
    bool oddFromB = false;

    bool operator==(const FieldSources&) const = default;
};

// Two pixel triples differing by at least this much (sum of |dY|, |dU|, |dV|) differ.
inline constexpr int kCombThreshold = 12;

// Frames are YUY2, `bytes` long each. Nothing without both frames or when the header
// does not fit the buffers. Row groups run over four rows; a last group of fewer
// rows than that is not sampled.
std::optional<FieldSources> ChooseFieldSources(const FrameFormat& format, const uint8_t* frameA, const uint8_t* frameB,
                                               size_t bytes);

}  // namespace stillimage
