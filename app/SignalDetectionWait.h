// The wait for a signal detection: the thread's messages keep flowing, through the
// main window's accelerators too, while the engine's detection is polled once a
// period, until it is stable or has failed, or Cancel() ends the wait.
#pragma once

#include "../engine/CaptureGraph.h"

#include <windows.h>

#include <functional>

class SignalDetectionWait {
public:
    // True when the window translated the message (an accelerator) itself.
    using PreTranslate = std::function<bool(MSG&)>;

    // Returns once the detection is stable or failed, or when cancelled (also by WM_QUIT,
    // which is put back for the main loop).
    void Run(CCaptureGraph& engine, const PreTranslate& preTranslate);
    void Cancel() { cancelled_ = true; }

private:
    void DispatchQueued(const PreTranslate& preTranslate);

    bool cancelled_ = false;
};
