// When each frame and each sound buffer of a stream is due and which time stamps it carries.
// Times are stream times in 100 ns; frames are numbered from 0 at the start of the run.
#pragma once

#include <cstdint>

#include "FaultPlan.h"

namespace cardsim {

class VideoTimeline {
public:
    struct Frame {
        uint64_t number;
        int64_t due;    // when it is delivered
        int64_t start;  // its time stamps, moved by the jitter of the plan
        int64_t end;
        bool dropped;
        bool timed;
    };

    // The next frame, one frame duration after the one before.
    Frame Next(int64_t frameDuration, const FaultPlan& faults);
    // Frame periods that passed unseen (no signal, or a thread too late) are skipped, numbers
    // included: the next frame is the one whose period holds now.
    void CatchUp(int64_t now, int64_t frameDuration);
    int64_t NextDue() const { return nextStart_; }

private:
    uint64_t nextNumber_ = 0;
    int64_t nextStart_ = 0;
    uint64_t delivered_ = 0;
};

class AudioTimeline {
public:
    struct Buffer {
        uint64_t firstFrame;  // sample frames since the start of the run
        uint32_t frames;
        int64_t due;  // when its last sample has been captured
        int64_t start;
        int64_t end;
        bool timed;
    };

    explicit AudioTimeline(int sampleRate) : sampleRate_(sampleRate) {}
    Buffer Next(const FaultPlan& faults);
    void Resume(int64_t now);
    int64_t NextDue() const;

private:
    int64_t TimeOf(uint64_t frame) const;

    int sampleRate_;
    uint64_t nextFrame_ = 0;
    uint64_t delivered_ = 0;
};

}  // namespace cardsim
