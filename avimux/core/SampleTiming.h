// Stream times of arriving samples: gaps become runs of null frames, drift prevention
// inserts or deletes frames, and the delay before each stream's first sample is
// represented as the delay settings ask. Holds the run's timing and statistics.
#pragma once

#include <cstdint>

#include "MuxSettings.h"
#include "MuxTypes.h"
#include "RateCorrection.h"

namespace trelvox {

struct TimingFormat {
    int64_t frameDuration = 0;    // T
    uint32_t avgBytesPerSec = 0;  // R
    uint32_t samplesPerSec = 0;
    uint32_t blockAlign = 0;
};

// What to queue for one video sample, in this order.
struct VideoPlan {
    HResult failure = kS_OK;  // ends the recording
    bool ignore = false;
    bool fullCopyFirst = false;  // the first picture, queued once more in front
    uint32_t nullFrames = 0;     // a run of null frames before the sample
    bool queueSample = false;    // false: ignored or deleted by drift prevention
};

// What to queue for one audio sample.
struct AudioPlan {
    HResult failure = kS_OK;
    bool ignore = false;
    uint32_t length = 0;        // whole blocks of the sample
    uint32_t silenceBytes = 0;  // zero bytes queued before the first sample
    bool sync = false;
};

struct MuxStatistics {
    uint32_t videoFrames = 0;
    uint32_t audioBuffers = 0;
    uint32_t droppedFrames = 0;
    uint64_t audioBlocks = 0;
    uint32_t inserted = 0;
    uint32_t deleted = 0;
    double videoFrameRate = 0;
    double audioFrequency = 0;
};

class SampleTiming {
public:
    void Reset(const MuxSettings& settings, const TimingFormat& format);
    // A frame duration learnt from the samples, before the first video sample is planned.
    void SetFrameDuration(int64_t frameDuration) { format_.frameDuration = frameDuration; }

    VideoPlan PlanVideo(const MuxSample& sample);
    AudioPlan PlanAudio(const MuxSample& sample);

    MuxStatistics Statistics() const;
    RateMeasurements Measurements() const;
    bool VideoStarted() const { return !firstVideoPending_; }
    bool AudioStarted() const { return !firstAudioPending_; }
    int64_t FirstVideoTime() const { return firstVideoTime_; }
    int64_t FirstAudioTime() const { return firstAudioTime_; }
    uint32_t MaxVideoSample() const { return maxVideoSample_; }
    uint32_t MaxAudioSample() const { return maxAudioSample_; }

private:
    bool AdvanceVideoClock(const MuxSample& s, HResult* failure);
    bool AdvanceAudioClock(const MuxSample& s, HResult* failure);
    int DriftAdjustment();
    int64_t BlocksDuration(uint64_t blocks) const;
    void CountAudioBuffer(uint32_t bytes, int64_t clock);

    MuxSettings settings_;
    TimingFormat format_;

    int64_t videoClock_ = 0, audioClock_ = 0;
    int64_t prevVideoStart_ = 0, prevVideoMediaStart_ = 0;
    int64_t prevAudioStart_ = 0, prevAudioMediaStart_ = 0;
    bool firstVideoPending_ = true, firstAudioPending_ = true;
    int64_t firstVideoTime_ = 0, firstAudioTime_ = 0;
    int64_t lastVideoTime_ = 0, lastAudioTime_ = 0;
    uint32_t videoFrames_ = 0;
    uint32_t frameSlots_ = 0, droppedFrames_ = 0;
    uint64_t totalAudioBlocks_ = 0;
    uint32_t lastBufferBlocks_ = 0, audioBuffers_ = 0;
    int64_t driftCounter_ = 0;
    uint32_t inserted_ = 0, deleted_ = 0;
    uint32_t maxVideoSample_ = 0, maxAudioSample_ = 0;
    double videoFrameRate_ = 0, audioFrequency_ = 0;
};

}  // namespace trelvox
