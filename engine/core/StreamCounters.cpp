#include "StreamCounters.h"

#include <utility>

namespace engine {

void StreamCounters::Record(int64_t start, int64_t end, int64_t mediaStart, int64_t mediaEnd, int64_t frames)
{
    if (firstSample) {
        firstStart = start;
        firstMediaStart = mediaStart;
        firstSample = false;
    }
    ++samples;
    sampleFrames += frames;
    lastEnd = end;
    lastMediaEnd = mediaEnd;
}

int64_t DroppedFrames(int64_t firstStart, int64_t lastEnd, int64_t frameDuration, int64_t totalFrames)
{
    if (frameDuration == 0)
        return 0;
    return (lastEnd - firstStart - frameDuration * totalFrames) / frameDuration;
}

void SwapStereo16(uint8_t* data, size_t length, int blockAlign)
{
    if (!data || blockAlign != 4)
        return;
    for (size_t offset = 0; offset + 4 <= length; offset += 4) {
        std::swap(data[offset], data[offset + 2]);
        std::swap(data[offset + 1], data[offset + 3]);
    }
}

}  // namespace engine
