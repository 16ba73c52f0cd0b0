#include "DeliveryTimeline.h"

#include <algorithm>

#include "StreamCaps.h"

namespace cardsim {
namespace {

constexpr int64_t kUnitsPerSecond = 10000000;

}  // namespace

VideoTimeline::Frame VideoTimeline::Next(int64_t frameDuration, const FaultPlan& faults)
{
    Frame frame;
    frame.number = nextNumber_++;
    frame.due = nextStart_;
    frame.start = std::max<int64_t>(0, nextStart_ + faults.JitterOf(frame.number));
    frame.end = frame.start + frameDuration;
    frame.dropped = faults.DropsFrame(frame.number);
    frame.timed = frame.dropped || !faults.Untimed(delivered_);
    if (!frame.dropped)
        ++delivered_;
    nextStart_ += frameDuration;
    return frame;
}

void VideoTimeline::CatchUp(int64_t now, int64_t frameDuration)
{
    if (now <= nextStart_ || frameDuration <= 0)
        return;
    const int64_t periods = (now - nextStart_) / frameDuration;
    nextNumber_ += static_cast<uint64_t>(periods);
    nextStart_ += periods * frameDuration;
}

AudioTimeline::Buffer AudioTimeline::Next(const FaultPlan& faults)
{
    Buffer buffer;
    buffer.firstFrame = nextFrame_;
    buffer.frames = static_cast<uint32_t>(AudioBufferFrames(sampleRate_));
    nextFrame_ += buffer.frames;
    buffer.start = TimeOf(buffer.firstFrame);
    buffer.end = TimeOf(nextFrame_);
    buffer.due = buffer.end;
    buffer.timed = !faults.Untimed(delivered_++);
    return buffer;
}

void AudioTimeline::Resume(int64_t now)
{
    const uint64_t frameNow = static_cast<uint64_t>(std::max<int64_t>(0, now)) * sampleRate_ / kUnitsPerSecond;
    nextFrame_ = std::max(nextFrame_, frameNow);
}

int64_t AudioTimeline::NextDue() const
{
    return TimeOf(nextFrame_ + static_cast<uint64_t>(AudioBufferFrames(sampleRate_)));
}

int64_t AudioTimeline::TimeOf(uint64_t frame) const
{
    return static_cast<int64_t>(frame * kUnitsPerSecond / static_cast<uint64_t>(sampleRate_));
}

}  // namespace cardsim
