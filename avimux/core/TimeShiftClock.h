// Playback position arithmetic of the time-shift pins. Times are stream times in
// 100 ns; a rate is a speed in percent.
#pragma once

#include <cstdint>

namespace trelvox {

constexpr uint32_t kNormalRate = 100;
constexpr int64_t kUnitsPerSecond = 10000000;

// Where playback stands, started at `start` from recording time `position`.
struct PlaybackAnchor {
    int64_t start = 0;
    int64_t position = 0;
    uint32_t rate = kNormalRate;
};

// (now - start) * rate / 100 + position, without the limit to the written time; it
// saturates instead of overflowing.
int64_t UnlimitedPosition(const PlaybackAnchor& anchor, int64_t now);
// The same, limited to 0 ... now.
int64_t CurrentPosition(const PlaybackAnchor& anchor, int64_t now);
// True while the playback position is not past `now`: what it asks for has been
// recorded, though a live source's latest samples may not be written yet.
bool AtOrBehindLive(const PlaybackAnchor& anchor, int64_t now);

// The video frame number shown at `now`; -1 before the first frame.
int64_t VideoFrameNumber(const PlaybackAnchor& anchor, int64_t now, int64_t firstVideoTime, int64_t frameDuration);

// The audio block at recording time `position`; negative before the first block.
int64_t AudioBlockNumber(int64_t position, int64_t firstAudioTime, uint32_t avgBytesPerSec, uint32_t blockAlign);

// Duration of `bytes` of audio.
int64_t AudioDuration(uint64_t bytes, uint32_t avgBytesPerSec);

// GetPosition's figures in whole seconds; current never above total.
struct PositionSeconds {
    uint32_t current = 0;
    uint32_t total = 0;
};
PositionSeconds ReportedPosition(int64_t current, int64_t now);

}  // namespace trelvox
