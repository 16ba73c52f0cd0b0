// Counts the frames of the captured video and keeps their first and last times.
#pragma once

#include "BaseSampleGrabberCB.h"
#include "StreamCounters.h"

class CVideoCaptureSampleGrabberCB : public CBaseSampleGrabberCB {
public:
    STDMETHODIMP SampleCB(double sampleTime, IMediaSample* sample) override;
    void Reset() override;

    int64_t SampleCount();
    engine::StreamCounters Counters();

private:
    engine::StreamCounters counters_;
};
