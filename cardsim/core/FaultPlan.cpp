#include "FaultPlan.h"

namespace cardsim {
namespace {

// A fixed scramble of the frame number: the jitter is repeatable from run to run.
uint64_t Scramble(uint64_t value)
{
    value ^= value >> 33;
    value *= 0xff51afd7ed558ccdULL;
    value ^= value >> 33;
    value *= 0xc4ceb9fe1a85ec53ULL;
    value ^= value >> 33;
    return value;
}

}  // namespace

bool FaultPlan::DropsFrame(uint64_t frame) const
{
    if (dropEvery != 0 && (frame + 1) % dropEvery == 0)
        return true;
    return burstLength != 0 && frame >= burstStart && frame - burstStart < burstLength;
}

int64_t FaultPlan::JitterOf(uint64_t frame) const
{
    if (jitter == 0)
        return 0;
    const uint64_t span = 2 * uint64_t{jitter} + 1;
    return static_cast<int64_t>(Scramble(frame) % span) - static_cast<int64_t>(jitter);
}

bool FaultPlan::Untimed(uint64_t sample) const
{
    return untimedEvery != 0 && (sample + 1) % untimedEvery == 0;
}

}  // namespace cardsim
