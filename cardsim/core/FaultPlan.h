// Faults the simulated card can be told to show while it streams.
#pragma once

#include <cstdint>

#include "InputKind.h"

namespace cardsim {

struct FaultPlan {
    uint32_t dropEvery = 0;          // drop frames N-1, 2N-1, ... (every Nth); 0 none
    uint32_t burstStart = 0;         // first frame of a burst of dropped frames
    uint32_t burstLength = 0;        // 0 none
    uint32_t jitter = 0;             // time stamps move by up to this much (100 ns) either way
    uint32_t untimedEvery = 0;       // every Nth sample of each stream carries no time stamps
    bool noAudio = false;            // the audio pins deliver nothing
    bool refuseAudio = false;        // the audio pins accept no connection
    uint32_t changeAfterFrames = 0;  // with changeTo: the input changes after this many frames
    InputKind changeTo = InputKind::None;
    bool changes = false;
    uint32_t startFailure = 0;  // a failure code: the filter's Run fails with it; 0 none
    uint32_t abortOnStop = 0;   // a failure code: stopped while streaming, the filter aborts with it; 0 none

    bool DropsFrame(uint64_t frame) const;
    // The offset of the time stamps of a frame, the same for the same frame every time.
    int64_t JitterOf(uint64_t frame) const;
    bool Untimed(uint64_t sample) const;
};

}  // namespace cardsim
