#include "StreamPacer.h"

#include <vfwmsgs.h>

StreamPacer::StreamPacer()
    : m_started(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_due(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

StreamPacer::~StreamPacer()
{
    CloseHandle(m_started);
    CloseHandle(m_due);
}

HRESULT StreamPacer::Start(IReferenceClock* clock, REFERENCE_TIME runStart)
{
    if (!clock)
        return VFW_E_NO_CLOCK;
    m_clock = clock;
    m_runStart = runStart;
    SetEvent(m_started);
    return S_OK;
}

void StreamPacer::Reset()
{
    ResetEvent(m_started);
    ResetEvent(m_due);
    m_clock.Reset();
}

REFERENCE_TIME StreamPacer::Now() const
{
    REFERENCE_TIME now = 0;
    m_clock->GetTime(&now);
    return now - m_runStart;
}

HRESULT StreamPacer::WaitFor(REFERENCE_TIME time, HANDLE interrupt)
{
    const HANDLE started[] = {m_started, interrupt};
    if (WaitForMultipleObjects(2, started, FALSE, INFINITE) != WAIT_OBJECT_0)
        return S_FALSE;
    if (Now() >= time)
        return S_OK;
    DWORD_PTR cookie = 0;
    const HRESULT hr = m_clock->AdviseTime(m_runStart, time, reinterpret_cast<HEVENT>(m_due), &cookie);
    if (FAILED(hr))
        return hr;
    const HANDLE due[] = {m_due, interrupt};
    if (WaitForMultipleObjects(2, due, FALSE, INFINITE) == WAIT_OBJECT_0)
        return S_OK;
    m_clock->Unadvise(cookie);
    return S_FALSE;
}
