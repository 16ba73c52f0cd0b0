// Frame duration and audio rate corrected from the measured stream times at stop.
#pragma once

#include <cstdint>

#include "MuxSettings.h"

namespace trelvox {

// What the pins measured during the run.
struct RateMeasurements {
    uint32_t videoFrames = 0;  // video chunks queued, null frames included
    int64_t firstVideoTime = 0;
    int64_t lastVideoTime = 0;
    uint64_t totalAudioBlocks = 0;
    uint32_t lastBufferBlocks = 0;
    int64_t firstAudioTime = 0;
    int64_t lastAudioTime = 0;
};

struct Rates {
    int64_t frameDuration = 0;    // T
    uint32_t avgBytesPerSec = 0;  // R
    uint32_t samplesPerSec = 0;   // F
};

// `held` are the rates in use; video/audio tell which pins are connected.
Rates CorrectRates(const Rates& held, bool video, bool audio, uint32_t blockAlign, const RateMeasurements& measured,
                   const MuxSettings& settings);

}  // namespace trelvox
