#include "SignalDetectionWindow.h"

#include "SignalFormat.h"

namespace engine {

void SignalDetectionWindow::Start(int currentFormat, int64_t sampleCount)
{
    lastFormat_ = currentFormat;
    goodPeriods_ = 0;
    baseline_ = sampleCount;
}

bool SignalDetectionWindow::EndPeriod(int currentFormat, int64_t sampleCount)
{
    if (currentFormat != lastFormat_) {
        goodPeriods_ = 0;
        lastFormat_ = currentFormat;
        return false;
    }
    if (currentFormat == kNoSignal)
        return false;
    const int64_t received = SignalFormatRow(currentFormat).frameDuration * (sampleCount - baseline_);
    goodPeriods_ = received > kMinimumVideoPerPeriod ? goodPeriods_ + 1 : 0;
    baseline_ = sampleCount;
    return goodPeriods_ >= kGoodPeriodsNeeded;
}

}  // namespace engine
