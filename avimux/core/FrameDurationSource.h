// Where a video stream's frame duration comes from when its media type has none: the
// upstream filter's own input type, or else the stream's first samples.
#pragma once

#include <cstdint>
#include <vector>

#include "MuxTypes.h"

namespace trelvox {

// The connection's frame duration: the type's own, else the upstream filter's input's;
// 0 when neither has one, so that the samples have to tell.
int64_t ConnectionFrameDuration(int64_t typeDuration, int64_t upstreamDuration);

// Learns the frame duration from the first samples: a sample's stop - start, else the
// difference of the first two start times. The first sample is copied and held meanwhile.
class SampleFrameDuration {
public:
    enum class Outcome {
        Learnt,   // FrameDuration() is known; the held sample, if any, goes first
        Held,     // the sample is kept until the next one tells
        Ignored,  // an empty sample, as the timing ignores it
        Failed,   // the times give no duration (none, or not advancing)
    };

    Outcome Take(const MuxSample& sample);
    int64_t FrameDuration() const { return duration_; }
    // The held sample, its data owned here until Reset; null when none.
    const MuxSample* Held() const { return holding_ ? &held_ : nullptr; }
    void Reset();

private:
    int64_t duration_ = 0;
    bool holding_ = false;
    MuxSample held_;
    std::vector<uint8_t> heldData_;
};

}  // namespace trelvox
