// Counting of the detection wait: an input counts as detected after ten
// consecutive 100 ms periods that each brought more than 90 ms of video.
#pragma once

#include <cstdint>

namespace engine {

// What one poll of a running detection found.
enum class DetectionStep { kNotYet, kStable, kFailed };

class SignalDetectionWindow {
public:
    static constexpr int kGoodPeriodsNeeded = 10;
    static constexpr int64_t kMinimumVideoPerPeriod = 900000;  // 90 ms in 100 ns units

    // Starts counting for the format the decoder reports now.
    void Start(int currentFormat, int64_t sampleCount);

    // After the message queue was drained the count of samples is read anew.
    void Rebaseline(int64_t sampleCount) { baseline_ = sampleCount; }

    // One period ended with the decoder reporting `currentFormat` and the
    // grabber having counted `sampleCount` samples. True once detected.
    bool EndPeriod(int currentFormat, int64_t sampleCount);

    int GoodPeriods() const { return goodPeriods_; }
    int LastFormat() const { return lastFormat_; }

private:
    int lastFormat_ = 0;
    int goodPeriods_ = 0;
    int64_t baseline_ = 0;
};

}  // namespace engine
