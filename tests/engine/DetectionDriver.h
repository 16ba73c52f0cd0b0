// Drives the engine's signal detection as the main window does, without messages:
// one poll every 100 ms until the input is stable, the detection fails or `periods` passed.
#pragma once

#include "CaptureGraph.h"

inline HRESULT DetectSignal(CCaptureGraph& engine, int periods = 300)
{
    HRESULT hr = engine.StartDetection();
    if (FAILED(hr))
        return hr;
    for (int i = 0; i < periods && engine.PollDetection() == engine::DetectionStep::kNotYet; ++i)
        Sleep(100);
    return engine.FinishDetection();
}
