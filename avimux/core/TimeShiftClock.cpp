#include "TimeShiftClock.h"

#include <algorithm>
#include <limits>

namespace trelvox {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

int64_t SaturatingAdd(int64_t a, int64_t b)
{
    if (b > 0 && a > kMax - b)
        return kMax;
    if (b < 0 && a < kMin - b)
        return kMin;
    return a + b;
}

// elapsed * rate / 100, split so that only a result beyond 64 bits saturates.
int64_t Scaled(int64_t elapsed, uint32_t rate)
{
    const int64_t whole = elapsed / 100, rest = elapsed % 100;
    const int64_t r = rate;
    if (whole > kMax / std::max<int64_t>(r, 1))
        return kMax;
    if (whole < kMin / std::max<int64_t>(r, 1))
        return kMin;
    return SaturatingAdd(whole * r, rest * r / 100);
}

uint32_t WholeSeconds(int64_t time)
{
    const int64_t seconds = std::max<int64_t>(time, 0) / kUnitsPerSecond;
    return static_cast<uint32_t>(std::min<int64_t>(seconds, std::numeric_limits<uint32_t>::max()));
}

}  // namespace

int64_t UnlimitedPosition(const PlaybackAnchor& anchor, int64_t now)
{
    return SaturatingAdd(Scaled(SaturatingAdd(now, -anchor.start), anchor.rate), anchor.position);
}

int64_t CurrentPosition(const PlaybackAnchor& anchor, int64_t now)
{
    return std::clamp<int64_t>(UnlimitedPosition(anchor, now), 0, std::max<int64_t>(now, 0));
}

bool AtOrBehindLive(const PlaybackAnchor& anchor, int64_t now)
{
    return UnlimitedPosition(anchor, now) <= now;
}

int64_t VideoFrameNumber(const PlaybackAnchor& anchor, int64_t now, int64_t firstVideoTime, int64_t frameDuration)
{
    if (frameDuration <= 0)
        return -1;
    const int64_t offset = SaturatingAdd(UnlimitedPosition(anchor, now), -firstVideoTime);
    // Just before the first frame is before it, not frame 0.
    return offset < 0 ? -1 : offset / frameDuration;
}

int64_t AudioBlockNumber(int64_t position, int64_t firstAudioTime, uint32_t avgBytesPerSec, uint32_t blockAlign)
{
    if (avgBytesPerSec == 0 || blockAlign == 0)
        return -1;
    const int64_t offset = SaturatingAdd(position, -firstAudioTime);
    if (offset < 0)
        return -1;
    // offset * avg / (align * 10^7), in parts that cannot overflow for any real recording.
    const int64_t seconds = offset / kUnitsPerSecond, rest = offset % kUnitsPerSecond;
    const int64_t bytes = seconds * avgBytesPerSec + rest * avgBytesPerSec / kUnitsPerSecond;
    return bytes / blockAlign;
}

int64_t AudioDuration(uint64_t bytes, uint32_t avgBytesPerSec)
{
    if (avgBytesPerSec == 0)
        return 0;
    const uint64_t seconds = bytes / avgBytesPerSec, rest = bytes % avgBytesPerSec;
    return static_cast<int64_t>(seconds * kUnitsPerSecond + rest * kUnitsPerSecond / avgBytesPerSec);
}

PositionSeconds ReportedPosition(int64_t current, int64_t now)
{
    PositionSeconds figures;
    figures.total = WholeSeconds(now);
    figures.current = std::min(WholeSeconds(current), figures.total);
    return figures;
}

}  // namespace trelvox
