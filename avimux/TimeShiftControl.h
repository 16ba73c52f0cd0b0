// The work of IMuxTimeShift: the playback state, and each call's repositioning of both
// "~" pins, under the filter lock and then the pins' own locks.
#pragma once

#include <atomic>

#include "dshowbase/streams.h"
#include "TimeShiftCursor.h"

class MuxBaseFilter;

class TimeShiftControl {
public:
    TimeShiftControl(MuxBaseFilter& filter, CCritSec& filterLock);

    // Each flushes both pins (GetPosition does not).
    HRESULT Play(DWORD ratePercent);
    HRESULT Stop();
    HRESULT Pause();
    HRESULT Seek(DWORD seconds);
    HRESULT GetPosition(DWORD* current, DWORD* total);

    bool IsPlaying() const { return playback_ == trelvox::PlaybackState::Playing; }

private:
    // Under the filter lock: the stream time, 0 when there is none.
    REFERENCE_TIME Now();
    // Runs `change` on each pin's cursor under that pin's lock, inside a flush of both.
    template <class Change>
    void ChangePlayback(bool stopThreads, Change change);
    // Stops the pins' threads; each cursor keeps what `position` gives for the state left.
    using HeldAt = int64_t (*)(trelvox::PlaybackState, const trelvox::PlaybackAnchor&, int64_t);
    HRESULT HoldPlayback(trelvox::PlaybackState next, HeldAt position);

    MuxBaseFilter& filter_;
    CCritSec& filterLock_;
    std::atomic<trelvox::PlaybackState> playback_{trelvox::PlaybackState::Stopped};
};
