// "~Video" and "~Audio": output pins that play back what is being recorded. Each has a
// thread of its own while active; IMuxTimeShift tells it to run or stop and moves its
// cursor. They offer the type of the matching input pin's connection.
#pragma once

#include <atomic>

#include "dshowbase/streams.h"
#include "MuxTypes.h"
#include "TimeShiftCursor.h"

class MuxBaseFilter;

class TimeShiftOutputPin : public CAMThread, public CBaseOutputPin {
public:
    TimeShiftOutputPin(MuxBaseFilter* filter, CCritSec* lock, HRESULT* phr, trelvox::StreamKind stream);

    // Position 0 only: the connection type of the matching input pin, with the frame
    // duration or audio rate override when that and the playback type override are on.
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    // Only that type; else E_INVALIDARG.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    // One buffer as large as the input pin's.
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest) override;

    // Starts the thread (it waits for Play); ends it again.
    HRESULT Active() override;
    HRESULT Inactive() override;

    // From IMuxTimeShift, under the filter lock. The cursor only under PlaybackLock.
    CCritSec* PlaybackLock() { return &playbackLock_; }
    // A repositioning flushes downstream, then holds DeliveryLock (taken after the
    // flush has freed a delivery in progress) until the flush has ended: a sample
    // filled before it is never delivered after it.
    void BeginReposition();
    CCritSec* DeliveryLock() { return &deliveryLock_; }
    void EndReposition();
    trelvox::TimeShiftCursor& Cursor() { return cursor_; }
    void RunPlayback();
    void StopPlayback();

protected:
    DWORD ThreadProc() override;

private:
    enum Request : DWORD { kRequestRun = 1, kRequestStop = 3, kRequestExit = 4 };

    CBaseInputPin* MatchingInput() const;
    // False while the matching input is not connected.
    bool PlaybackType(CMediaType* type) const;
    void DeliveryLoop();
    bool FillUnderPlaybackLock(IMediaSample* sample);
    // Under playbackLock_: false when there is nothing to deliver now.
    bool Fill(IMediaSample* sample);

    MuxBaseFilter* const mux_;
    const trelvox::StreamKind stream_;
    CCritSec playbackLock_;
    CCritSec deliveryLock_;  // held by the thread from a fill to the end of its delivery
    std::atomic<bool> repositioning_{false};
    trelvox::TimeShiftCursor cursor_;
};
