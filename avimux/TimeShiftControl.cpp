#include "TimeShiftControl.h"

#include "MuxBaseFilter.h"
#include "TimeShiftClock.h"
#include "TimeShiftOutputPin.h"

using trelvox::PlaybackState;
using trelvox::StreamKind;
using trelvox::TimeShiftCursor;

TimeShiftControl::TimeShiftControl(MuxBaseFilter& filter, CCritSec& filterLock)
    : filter_(filter),
      filterLock_(filterLock)
{
}

REFERENCE_TIME TimeShiftControl::Now()
{
    CRefTime now;
    return SUCCEEDED(filter_.StreamTime(now)) ? now.m_time : 0;
}

// The threads are told to stop inside the flush, before the pins' locks are taken (a
// fill and its delivery hold their pin's delivery lock; the flush frees a delivery that
// waits downstream). The locks stay until the flush has ended, so that the first sample
// from the new position is not lost to the flush and none filled before it follows it.
template <class Change>
void TimeShiftControl::ChangePlayback(bool stopThreads, Change change)
{
    TimeShiftOutputPin* video = filter_.OutputPin(StreamKind::Video);
    TimeShiftOutputPin* audio = filter_.OutputPin(StreamKind::Audio);
    video->BeginReposition();
    audio->BeginReposition();
    if (stopThreads) {
        video->StopPlayback();
        audio->StopPlayback();
    }
    CAutoLock videoDelivery(video->DeliveryLock());
    CAutoLock audioDelivery(audio->DeliveryLock());
    CAutoLock videoLock(video->PlaybackLock());
    CAutoLock audioLock(audio->PlaybackLock());
    change(video->Cursor());
    change(audio->Cursor());
    video->EndReposition();
    audio->EndReposition();
}

HRESULT TimeShiftControl::Play(DWORD ratePercent)
{
    CAutoLock lock(&filterLock_);
    const REFERENCE_TIME now = Now();
    const PlaybackState state = playback_;
    ChangePlayback(false, [&](TimeShiftCursor& cursor) {
        cursor.Reposition(now, trelvox::HeldPosition(state, cursor.Anchor(), now), ratePercent);
    });
    // Threads already playing need no request (one could wait on a paused renderer).
    if (state != PlaybackState::Playing) {
        filter_.OutputPin(StreamKind::Video)->RunPlayback();
        filter_.OutputPin(StreamKind::Audio)->RunPlayback();
    }
    playback_ = PlaybackState::Playing;
    return S_OK;
}

HRESULT TimeShiftControl::Stop()
{
    return HoldPlayback(PlaybackState::Stopped, trelvox::HeldPosition);
}

HRESULT TimeShiftControl::Pause()
{
    return HoldPlayback(PlaybackState::Paused, trelvox::PausePosition);
}

HRESULT TimeShiftControl::HoldPlayback(PlaybackState next, HeldAt position)
{
    CAutoLock lock(&filterLock_);
    const REFERENCE_TIME now = Now();
    const PlaybackState state = playback_;
    ChangePlayback(true, [&](TimeShiftCursor& cursor) { cursor.KeepPosition(position(state, cursor.Anchor(), now)); });
    playback_ = next;
    return S_OK;
}

HRESULT TimeShiftControl::Seek(DWORD seconds)
{
    CAutoLock lock(&filterLock_);
    const REFERENCE_TIME now = Now();
    ChangePlayback(false, [&](TimeShiftCursor& cursor) {
        cursor.Reposition(now, static_cast<REFERENCE_TIME>(seconds) * trelvox::kUnitsPerSecond, 0);
    });
    return S_OK;
}

HRESULT TimeShiftControl::GetPosition(DWORD* current, DWORD* total)
{
    CheckPointer(current, E_POINTER);
    CheckPointer(total, E_POINTER);
    CAutoLock lock(&filterLock_);
    const REFERENCE_TIME now = Now();
    TimeShiftOutputPin* video = filter_.OutputPin(StreamKind::Video);
    REFERENCE_TIME position;
    {
        CAutoLock pinLock(video->PlaybackLock());
        position = trelvox::HeldPosition(playback_, video->Cursor().Anchor(), now);
    }
    const trelvox::PositionSeconds figures = trelvox::ReportedPosition(position, now);
    *current = figures.current;
    *total = figures.total;
    return S_OK;
}
