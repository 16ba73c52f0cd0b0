// The video renderer's quality figures the information bar shows; -1 where the
// renderer gave none.
#pragma once

namespace engine {

struct RendererQuality {
    int averageFrameRate = -1;  // frames per second × 100
    int averageSyncOffset = -1;
    int syncOffsetDeviation = -1;
    int framesDrawn = -1;
    int framesDropped = -1;
    int jitter = -1;
};

}  // namespace engine
