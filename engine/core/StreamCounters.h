// What the sample grabber callbacks count on a stream: first and last times,
// samples, and for audio the sample frames.
#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

struct StreamCounters {
    bool firstSample = true;
    int64_t firstStart = 0;
    int64_t lastEnd = 0;
    int64_t firstMediaStart = 0;
    int64_t lastMediaEnd = 0;
    int64_t samples = 0;       // media samples received
    int64_t sampleFrames = 0;  // audio only: bytes / block align

    void Reset() { *this = StreamCounters{}; }

    // One media sample with its stream and media times (0 where it had none).
    void Record(int64_t start, int64_t end, int64_t mediaStart, int64_t mediaEnd, int64_t frames = 0);
};

// Frames lost between the first start and the last end at the given frame duration.
int64_t DroppedFrames(int64_t firstStart, int64_t lastEnd, int64_t frameDuration, int64_t totalFrames);

// Exchanges left and right of 16-bit stereo PCM in place. Other layouts
// (block align other than 4) are left untouched; nothing past `length` is read.
void SwapStereo16(uint8_t* data, size_t length, int blockAlign);

}  // namespace engine
