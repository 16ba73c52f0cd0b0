// The input formats the card can deliver and how its decoder reports them.
#pragma once

#include <cstdint>

namespace engine {

struct SignalFormat {
    int32_t index;
    uint32_t fourcc;
    int32_t width;
    int32_t height;
    int64_t frameDuration;  // 100 ns units
};

constexpr int kSignalFormatCount = 6;
constexpr int kNoSignal = 0;

// Row 0 stands for no signal; 1 480i, 2 480p, 3 1080i, 4 720p, 5 1080p.
const SignalFormat& SignalFormatRow(int index);

bool IsInterlacedFormat(int index);

// The decoder's horizontal-lock value (0 no signal, 1 interlaced, other progressive)
// and total line count, turned into a row index; 0 for anything unsupported.
int FormatFromDecoderReadings(long horizontalLocked, long numberOfLines);

}  // namespace engine
