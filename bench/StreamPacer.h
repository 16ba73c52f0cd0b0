// Waits on the graph's reference clock until a stream time comes, as a live source
// delivers each sample at its time.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <wrl/client.h>

class StreamPacer {
public:
    StreamPacer();
    ~StreamPacer();
    StreamPacer(const StreamPacer&) = delete;
    StreamPacer& operator=(const StreamPacer&) = delete;

    // From the filter's Run: the graph's clock and the run's start time.
    HRESULT Start(IReferenceClock* clock, REFERENCE_TIME runStart);
    // Back to waiting for a Start; only while no WaitFor is in progress.
    void Reset();
    // S_OK once the stream time reaches `time`, S_FALSE when `interrupt` is signalled first.
    HRESULT WaitFor(REFERENCE_TIME time, HANDLE interrupt);
    // The stream time; only after a WaitFor has returned S_OK.
    REFERENCE_TIME Now() const;

private:
    HANDLE started_;  // manual reset, set by Start
    HANDLE due_;      // auto reset, set by the clock's advise
    Microsoft::WRL::ComPtr<IReferenceClock> clock_;
    REFERENCE_TIME runStart_ = 0;
};
