#include "SampleTiming.h"

#include <algorithm>
#include <cmath>

#include "FrameRounding.h"

namespace trelvox {
namespace {

constexpr double kUnitsPerSecond = 1e7;

int64_t StartOrZero(const MuxSample& s)
{
    return s.hasTime && s.start > 0 ? s.start : 0;
}

bool DelayIsDropped(VideoDelayProcessing processing)
{
    return processing == VideoDelayProcessing::DelayTime || processing == VideoDelayProcessing::ReferenceTimeChange;
}

}  // namespace

void SampleTiming::Reset(const MuxSettings& settings, const TimingFormat& format)
{
    *this = SampleTiming();
    settings_ = settings;
    format_ = format;
}

int64_t SampleTiming::BlocksDuration(uint64_t blocks) const
{
    if (format_.avgBytesPerSec == 0)
        return 0;
    return static_cast<int64_t>(static_cast<double>(blocks) * format_.blockAlign * kUnitsPerSecond /
                                format_.avgBytesPerSec);
}

bool SampleTiming::AdvanceVideoClock(const MuxSample& s, HResult* failure)
{
    const int64_t t = format_.frameDuration;
    switch (settings_.videoTimeProperty) {
    case 1: {
        if (!s.hasTime) {
            *failure = kVFW_E_SAMPLE_TIME_NOT_SET;
            return false;
        }
        const int64_t start = std::max<int64_t>(s.start, 0);
        if (start > prevVideoStart_) {
            videoClock_ += start - prevVideoStart_;
        } else if (!firstVideoPending_) {
            videoClock_ += t;
        }
        prevVideoStart_ = start;
        return true;
    }
    case 2:
        if (!s.hasMediaTime) {
            *failure = kVFW_E_MEDIA_TIME_NOT_SET;
            return false;
        }
        if (firstVideoPending_) {
            videoClock_ = StartOrZero(s);
        } else if (s.mediaStart > prevVideoMediaStart_) {
            videoClock_ += (s.mediaStart - prevVideoMediaStart_) * t;
        } else {
            videoClock_ += t;
        }
        prevVideoMediaStart_ = s.mediaStart;
        return true;
    case 0:
        videoClock_ = firstVideoPending_ ? StartOrZero(s) : videoClock_ + t;
        return true;
    default:
        *failure = kE_UNEXPECTED;
        return false;
    }
}

int SampleTiming::DriftAdjustment()
{
    if (settings_.driftPrevention == 0 || videoClock_ < settings_.driftStartTime || firstVideoPending_ ||
        firstAudioPending_ || format_.avgBytesPerSec == 0) {
        return 0;
    }
    const double t = static_cast<double>(format_.frameDuration);
    const double dv =
        static_cast<double>(lastVideoTime_ - firstVideoTime_) / t - (static_cast<double>(videoFrames_) - 1);
    const double audioSpan = static_cast<double>(totalAudioBlocks_ - lastBufferBlocks_) * format_.blockAlign /
                             format_.avgBytesPerSec * kUnitsPerSecond;
    const double da = (audioSpan - static_cast<double>(lastAudioTime_ - firstAudioTime_)) / t;
    const double d = da + dv;
    if (d >= settings_.driftThreshold) {
        ++driftCounter_;
    } else if (d <= -settings_.driftThreshold) {
        --driftCounter_;
    }
    const int64_t sensitivity = settings_.driftSensitivity;
    if (driftCounter_ > sensitivity) {
        driftCounter_ = 0;
        ++inserted_;
        return 1;
    }
    if (driftCounter_ < -sensitivity) {
        driftCounter_ = 0;
        ++deleted_;
        return -1;
    }
    return 0;
}

VideoPlan SampleTiming::PlanVideo(const MuxSample& s)
{
    VideoPlan plan;
    if (s.length == 0 || s.data == nullptr) {
        plan.ignore = true;
        return plan;
    }
    if (settings_.discardNegativeVideo && firstVideoPending_ && s.hasTime && s.start < 0) {
        plan.ignore = true;
        return plan;
    }
    if (!AdvanceVideoClock(s, &plan.failure))
        return plan;
    const bool first = firstVideoPending_;
    if (settings_.audioDelayProcessing == AudioDelayProcessing::ReferenceTimeChange) {
        if (firstAudioPending_ || videoClock_ < firstAudioTime_) {
            plan.ignore = true;
            return plan;
        }
        if (first)
            lastVideoTime_ = firstAudioTime_;
    }
    const int adjust = DriftAdjustment();

    const double t = static_cast<double>(format_.frameDuration);
    const double gap = static_cast<double>(videoClock_ - lastVideoTime_) / t - (first ? 0 : 1);
    const uint32_t missing = RoundFrames(gap, settings_.dropThreshold);
    const int64_t h = static_cast<int64_t>(adjust) + missing;
    const bool delayDropped = first && DelayIsDropped(settings_.videoDelayProcessing);

    if (h > 0) {
        int64_t nulls = h;
        if (first && settings_.videoDelayProcessing == VideoDelayProcessing::FullAndNullFrames) {
            plan.fullCopyFirst = true;
            ++videoFrames_;
            --nulls;
        }
        // The null run standing for the delay before the first picture is not written.
        if (nulls > 0 && !delayDropped) {
            plan.nullFrames = static_cast<uint32_t>(nulls);
            videoFrames_ += plan.nullFrames;
        }
    }
    if (h >= 0) {
        plan.queueSample = true;
        ++videoFrames_;
        maxVideoSample_ = std::max(maxVideoSample_, s.length);
    }

    if (!delayDropped) {
        frameSlots_ += missing;
        droppedFrames_ += missing;
    }
    const uint32_t slotsBefore = frameSlots_;
    ++frameSlots_;
    lastVideoTime_ = videoClock_;
    if (first) {
        if (DelayIsDropped(settings_.videoDelayProcessing)) {
            firstVideoTime_ = videoClock_;
        } else if (settings_.audioDelayProcessing == AudioDelayProcessing::ReferenceTimeChange) {
            firstVideoTime_ = firstAudioTime_;
        }
        firstVideoPending_ = false;
    }
    if (videoClock_ != firstVideoTime_) {
        videoFrameRate_ = slotsBefore / static_cast<double>(videoClock_ - firstVideoTime_) * kUnitsPerSecond;
    }
    return plan;
}

bool SampleTiming::AdvanceAudioClock(const MuxSample& s, HResult* failure)
{
    const int64_t lastBuffer = BlocksDuration(lastBufferBlocks_);
    switch (settings_.audioTimeProperty) {
    case 1: {
        if (!s.hasTime) {
            *failure = kVFW_E_SAMPLE_TIME_NOT_SET;
            return false;
        }
        const int64_t start = std::max<int64_t>(s.start, 0);
        if (start > prevAudioStart_) {
            audioClock_ += start - prevAudioStart_;
        } else if (!firstAudioPending_) {
            audioClock_ += lastBuffer;
        }
        prevAudioStart_ = start;
        return true;
    }
    case 2:
        if (!s.hasMediaTime) {
            *failure = kVFW_E_MEDIA_TIME_NOT_SET;
            return false;
        }
        if (firstAudioPending_) {
            audioClock_ = StartOrZero(s);
        } else if (s.mediaStart > prevAudioMediaStart_) {
            audioClock_ += BlocksDuration(static_cast<uint64_t>(s.mediaStart - prevAudioMediaStart_));
        } else {
            audioClock_ += lastBuffer;
        }
        prevAudioMediaStart_ = s.mediaStart;
        return true;
    case 0:
        audioClock_ = firstAudioPending_ ? StartOrZero(s) : audioClock_ + lastBuffer;
        return true;
    default:
        *failure = kE_UNEXPECTED;
        return false;
    }
}

void SampleTiming::CountAudioBuffer(uint32_t bytes, int64_t clock)
{
    lastBufferBlocks_ = bytes / format_.blockAlign;
    totalAudioBlocks_ += lastBufferBlocks_;
    lastAudioTime_ = clock;
    ++audioBuffers_;
    maxAudioSample_ = std::max(maxAudioSample_, bytes);
}

AudioPlan SampleTiming::PlanAudio(const MuxSample& s)
{
    AudioPlan plan;
    const uint32_t align = format_.blockAlign;
    if (align == 0 || s.length < align || s.data == nullptr) {
        plan.ignore = true;
        return plan;
    }
    plan.length = s.length / align * align;
    if (settings_.discardNegativeAudio && firstAudioPending_ && s.hasTime && s.start < 0) {
        plan.ignore = true;
        return plan;
    }
    if (!AdvanceAudioClock(s, &plan.failure))
        return plan;
    const bool first = firstAudioPending_;
    if (settings_.videoDelayProcessing == VideoDelayProcessing::ReferenceTimeChange) {
        if (firstVideoPending_ || audioClock_ < firstVideoTime_) {
            plan.ignore = true;
            return plan;
        }
        if (first)
            lastAudioTime_ = firstVideoTime_;
    }
    if (first) {
        if (settings_.audioDelayProcessing == AudioDelayProcessing::NullFrames && audioClock_ > lastAudioTime_) {
            const double blocks = std::floor(static_cast<double>(format_.avgBytesPerSec) *
                                             static_cast<double>(audioClock_ - lastAudioTime_) / 1e7 / align);
            plan.silenceBytes = static_cast<uint32_t>(std::min(blocks * align, 4294967295.0)) / align * align;
            // The silence is counted as buffers of the sample's length, the last one shorter.
            for (uint32_t left = plan.silenceBytes; left > 0;) {
                const uint32_t piece = std::min(left, plan.length);
                CountAudioBuffer(piece, lastAudioTime_);
                left -= piece;
            }
            firstAudioTime_ = lastAudioTime_;
        } else {
            firstAudioTime_ = audioClock_;
        }
        firstAudioPending_ = false;
    }
    plan.sync = settings_.forcedAudioSync != 0 || s.syncPoint;
    CountAudioBuffer(plan.length, audioClock_);
    if (lastAudioTime_ != firstAudioTime_) {
        audioFrequency_ = static_cast<double>(totalAudioBlocks_ - lastBufferBlocks_) * align / format_.avgBytesPerSec *
                          kUnitsPerSecond / static_cast<double>(lastAudioTime_ - firstAudioTime_) *
                          format_.samplesPerSec;
    }
    return plan;
}

MuxStatistics SampleTiming::Statistics() const
{
    MuxStatistics s;
    s.videoFrames = videoFrames_;
    s.audioBuffers = audioBuffers_;
    s.droppedFrames = droppedFrames_;
    s.audioBlocks = totalAudioBlocks_;
    s.inserted = inserted_;
    s.deleted = deleted_;
    s.videoFrameRate = videoFrameRate_;
    s.audioFrequency = audioFrequency_;
    return s;
}

RateMeasurements SampleTiming::Measurements() const
{
    RateMeasurements m;
    m.videoFrames = videoFrames_;
    m.firstVideoTime = firstVideoTime_;
    m.lastVideoTime = lastVideoTime_;
    m.totalAudioBlocks = totalAudioBlocks_;
    m.lastBufferBlocks = lastBufferBlocks_;
    m.firstAudioTime = firstAudioTime_;
    m.lastAudioTime = lastAudioTime_;
    return m;
}

}  // namespace trelvox
