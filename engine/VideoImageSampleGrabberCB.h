// Hands the next two preview frames to the still frame store once armed,
// then tells the main window.
#pragma once

#include "BaseSampleGrabberCB.h"
#include "StillFrameStore.h"

class CVideoImageSampleGrabberCB : public CBaseSampleGrabberCB {
public:
    STDMETHODIMP SampleCB(double sampleTime, IMediaSample* sample) override;
    void Reset() override;

    void SetTarget(StillFrameStore* store, HWND window, UINT message, LPARAM parameter);
    void Arm();

private:
    bool armed_ = false;
    StillFrameStore* store_ = nullptr;
    HWND window_ = nullptr;
    UINT message_ = 0;
    LPARAM parameter_ = 0;
};
