// Counts the captured audio and, for recordings that ask for it, swaps the
// left and right channels in place.
#pragma once

#include "BaseSampleGrabberCB.h"
#include "StreamCounters.h"

#include <mmreg.h>

#include <optional>

class CAudioCaptureSampleGrabberCB : public CBaseSampleGrabberCB {
public:
    STDMETHODIMP SampleCB(double sampleTime, IMediaSample* sample) override;
    void Reset() override;
    HRESULT Attach(ISampleGrabber* grabber) override;
    void Detach() override;

    // Written only while the graph is stopped.
    void SetChannelSwap(bool swap);

    struct Figures {
        engine::StreamCounters counters;
        std::optional<WAVEFORMATEX> format;
        bool channelSwap = false;
    };
    Figures Snapshot();
    ~CAudioCaptureSampleGrabberCB() override { Detach(); }

private:
    engine::StreamCounters counters_;
    std::optional<WAVEFORMATEX> format_;
    bool channelSwap_ = false;
};
