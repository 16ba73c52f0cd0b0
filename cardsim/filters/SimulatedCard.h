// The card itself, shared by its capture filter and its crossbar: the live input read from
// the control values, the crossbar's routing and the decoder's TV format.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>

#include "ControlValues.h"
#include "CrossbarLayout.h"
#include "LiveInput.h"

namespace cardsim {

class SimulatedCard {
public:
    static SimulatedCard& Instance();

    // The input now; the control values are read again when they are older than 40 ms,
    // so a change reaches the decoder and the streams well within 100 ms.
    InputKind CurrentInput();
    FaultPlan Faults();
    int OmittedCapabilityRow();
    bool KeepsLateFrames();

    // A frame period of the input has passed; each run's frame number counts once, however
    // many pins deliver it.
    void FramePassed(uint64_t runId, uint64_t frameNumber);

    bool CanRoute(long output, long input);
    bool Route(long output, long input);
    long RoutedTo(long output);
    AudioInput RoutedAudio();

    long TvFormat();
    void SetTvFormat(long format);

private:
    SimulatedCard() = default;
    void RefreshLocked();

    std::mutex lock_;
    LiveInput input_;
    ControlValues values_;
    ULONGLONG lastRead_ = 0;
    bool read_ = false;
    uint64_t countedRun_ = 0;
    uint64_t nextUncounted_ = 0;
    CrossbarRouting routing_;
    long tvFormat_ = 0;
};

}  // namespace cardsim
