#include "SignalDetectionWait.h"

namespace {

constexpr DWORD kDetectionPeriodMs = 100;

}  // namespace

// The periods follow the clock, so a stream of messages cannot hold them off.
void SignalDetectionWait::Run(CCaptureGraph& engine, const PreTranslate& preTranslate)
{
    cancelled_ = false;
    engine::DetectionStep step = engine::DetectionStep::kNotYet;
    DWORD periodStart = GetTickCount();
    while (step == engine::DetectionStep::kNotYet && !cancelled_) {
        const DWORD elapsed = GetTickCount() - periodStart;
        if (elapsed >= kDetectionPeriodMs) {
            periodStart = GetTickCount();
            step = engine.PollDetection();
        } else if (MsgWaitForMultipleObjectsEx(0, nullptr, kDetectionPeriodMs - elapsed, QS_ALLINPUT,
                                               MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) {
            DispatchQueued(preTranslate);
        }
    }
}

void SignalDetectionWait::DispatchQueued(const PreTranslate& preTranslate)
{
    MSG message;
    while (!cancelled_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            cancelled_ = true;
            return;
        }
        if (!preTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
