#include "SetTimeline.h"

#include <algorithm>

namespace trelvox {
namespace {

constexpr int64_t kUnitsPerSecond = 10'000'000;

}  // namespace

int64_t SetTimeline::AudioDuration(uint64_t bytes) const
{
    if (avgBytesPerSec_ == 0)
        return 0;
    // In two steps, so that hours of audio do not overflow.
    const uint64_t seconds = bytes / avgBytesPerSec_;
    const uint64_t rest = bytes % avgBytesPerSec_;
    return static_cast<int64_t>(seconds * kUnitsPerSecond + rest * kUnitsPerSecond / avgBytesPerSec_);
}

int64_t SetTimeline::Written(StreamKind stream) const
{
    const int64_t start = Start(stream).value_or(0);
    if (stream == StreamKind::Video)
        return start + static_cast<int64_t>(videoFrames_) * frameDuration_;
    return start + AudioDuration(audioBytes_);
}

int64_t SetTimeline::Duration(StreamKind stream, const SampleRecord& record) const
{
    if (stream == StreamKind::Video)
        return static_cast<int64_t>(record.frames) * frameDuration_;
    return AudioDuration(record.size);
}

void SetTimeline::Advance(StreamKind stream, const SampleRecord& record)
{
    if (stream == StreamKind::Video) {
        videoFrames_ += record.frames;
    } else {
        audioBytes_ += record.size;
    }
}

int64_t SetTimeline::NearestFrameStart(int64_t time) const
{
    const int64_t written = Written(StreamKind::Video);
    if (frameDuration_ <= 0 || time <= written)
        return written;
    const int64_t frames = (time - written + frameDuration_ / 2) / frameDuration_;
    return written + frames * frameDuration_;
}

uint64_t SetTimeline::FramesIn(int64_t span) const
{
    if (span <= 0 || frameDuration_ <= 0)
        return 0;
    return static_cast<uint64_t>((span + frameDuration_ - 1) / frameDuration_);
}

uint64_t SetTimeline::AudioBytesIn(int64_t span) const
{
    if (span <= 0)
        return 0;
    const uint64_t whole = static_cast<uint64_t>(span / kUnitsPerSecond) * avgBytesPerSec_;
    const uint64_t part =
        (static_cast<uint64_t>(span % kUnitsPerSecond) * avgBytesPerSec_ + kUnitsPerSecond - 1) / kUnitsPerSecond;
    return whole + part;
}

}  // namespace trelvox
