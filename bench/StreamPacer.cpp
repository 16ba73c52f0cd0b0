#include "StreamPacer.h"

#include <vfwmsgs.h>

StreamPacer::StreamPacer()
    : started_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      due_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

StreamPacer::~StreamPacer()
{
    CloseHandle(started_);
    CloseHandle(due_);
}

HRESULT StreamPacer::Start(IReferenceClock* clock, REFERENCE_TIME runStart)
{
    if (!clock)
        return VFW_E_NO_CLOCK;
    clock_ = clock;
    runStart_ = runStart;
    SetEvent(started_);
    return S_OK;
}

void StreamPacer::Reset()
{
    ResetEvent(started_);
    ResetEvent(due_);
    clock_.Reset();
}

REFERENCE_TIME StreamPacer::Now() const
{
    REFERENCE_TIME now = 0;
    clock_->GetTime(&now);
    return now - runStart_;
}

HRESULT StreamPacer::WaitFor(REFERENCE_TIME time, HANDLE interrupt)
{
    const HANDLE started[] = {started_, interrupt};
    if (WaitForMultipleObjects(2, started, FALSE, INFINITE) != WAIT_OBJECT_0)
        return S_FALSE;
    if (Now() >= time)
        return S_OK;
    DWORD_PTR cookie = 0;
    const HRESULT hr = clock_->AdviseTime(runStart_, time, reinterpret_cast<HEVENT>(due_), &cookie);
    if (FAILED(hr))
        return hr;
    const HANDLE due[] = {due_, interrupt};
    if (WaitForMultipleObjects(2, due, FALSE, INFINITE) == WAIT_OBJECT_0)
        return S_OK;
    clock_->Unadvise(cookie);
    return S_FALSE;
}
