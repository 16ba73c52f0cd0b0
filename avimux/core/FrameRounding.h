// Whole frames from a real frame count: the fraction rounds up only when it exceeds
// the drop threshold; counts of zero or less give 0.
#pragma once

#include <cmath>
#include <cstdint>

namespace trelvox {

inline uint32_t RoundFrames(double frames, double dropThreshold)
{
    if (!(frames > 0))
        return 0;
    const double whole = std::floor(frames);
    const double result = whole + (frames - whole > dropThreshold ? 1 : 0);
    return result >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(result);
}

}  // namespace trelvox
