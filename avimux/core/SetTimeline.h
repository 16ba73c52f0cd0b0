// Media time of what each stream of an AVI 1.0 set has written, as a player of the set
// sees it: the stream's start (its dwStart) plus the duration of its chunks so far.
#pragma once

#include <cstdint>
#include <optional>

#include "MuxTypes.h"
#include "SampleRecord.h"

namespace trelvox {

// Times (100 ns) at which each stream's first chunk plays; unset until the stream's
// first sample has been accepted.
struct StreamStarts {
    std::optional<int64_t> video, audio;
};

class SetTimeline {
public:
    SetTimeline(int64_t frameDuration, uint32_t avgBytesPerSec)
        : frameDuration_(frameDuration),
          avgBytesPerSec_(avgBytesPerSec)
    {
    }

    void SetStarts(const StreamStarts& starts) { starts_ = starts; }
    // A frame duration learnt once recording has begun, before any video was written.
    void SetFrameDuration(int64_t frameDuration) { frameDuration_ = frameDuration; }
    bool Started(StreamKind stream) const { return Start(stream).has_value(); }
    // Time at the end of what the stream has written (its start while nothing is).
    int64_t Written(StreamKind stream) const;
    int64_t Duration(StreamKind stream, const SampleRecord& record) const;
    void Advance(StreamKind stream, const SampleRecord& record);

    // The start of the video frame nearest to `time`, not before the video written.
    int64_t NearestFrameStart(int64_t time) const;
    // Whole frames that start within `span`, and the bytes of audio that play in it.
    uint64_t FramesIn(int64_t span) const;
    uint64_t AudioBytesIn(int64_t span) const;

private:
    const std::optional<int64_t>& Start(StreamKind stream) const
    {
        return stream == StreamKind::Video ? starts_.video : starts_.audio;
    }
    int64_t AudioDuration(uint64_t bytes) const;

    int64_t frameDuration_;
    const uint32_t avgBytesPerSec_;
    StreamStarts starts_;
    uint64_t videoFrames_ = 0;
    uint64_t audioBytes_ = 0;
};

}  // namespace trelvox
