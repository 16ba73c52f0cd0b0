#include "FrameDurationSource.h"

namespace trelvox {

int64_t ConnectionFrameDuration(int64_t typeDuration, int64_t upstreamDuration)
{
    if (typeDuration > 0)
        return typeDuration;
    return upstreamDuration > 0 ? upstreamDuration : 0;
}

SampleFrameDuration::Outcome SampleFrameDuration::Take(const MuxSample& s)
{
    if (s.length == 0 || s.data == nullptr)
        return Outcome::Ignored;
    if (!s.hasTime)
        return Outcome::Failed;
    if (s.stop > s.start) {
        duration_ = s.stop - s.start;
        return Outcome::Learnt;
    }
    if (!holding_) {
        heldData_.assign(s.data, s.data + s.length);
        held_ = s;
        held_.data = heldData_.data();
        holding_ = true;
        return Outcome::Held;
    }
    if (s.start <= held_.start)
        return Outcome::Failed;
    duration_ = s.start - held_.start;
    return Outcome::Learnt;
}

void SampleFrameDuration::Reset()
{
    duration_ = 0;
    holding_ = false;
    held_ = MuxSample();
    std::vector<uint8_t>().swap(heldData_);
}

}  // namespace trelvox
