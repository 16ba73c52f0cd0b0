#include "MuxBaseFilter.h"

#include <new>

#include "MuxFilter.h"
#include "MuxFilterSetup.h"
#include "MuxGuids.h"
#include "MuxInputPin.h"
#include "TimeShiftOutputPin.h"

using trelvox::StreamKind;

MuxBaseFilter::MuxBaseFilter(MuxFilter* mux, LPUNKNOWN owner, CCritSec* lock, HRESULT* phr)
    : CBaseFilter(L"Pelkor AVI Mux", owner, lock, CLSID_PelkorAviMux, phr),
      m_mux(mux)
{
    HRESULT hr = S_OK;
    m_videoIn.reset(new (std::nothrow) MuxInputPin(this, lock, &hr, StreamKind::Video));
    m_audioIn.reset(new (std::nothrow) MuxInputPin(this, lock, &hr, StreamKind::Audio));
    m_videoOut.reset(new (std::nothrow) TimeShiftOutputPin(this, lock, &hr, StreamKind::Video));
    m_audioOut.reset(new (std::nothrow) TimeShiftOutputPin(this, lock, &hr, StreamKind::Audio));
    if (!m_videoIn || !m_audioIn || !m_videoOut || !m_audioOut)
        hr = E_OUTOFMEMORY;
    if (FAILED(hr) && phr)
        *phr = hr;
}

MuxBaseFilter::~MuxBaseFilter() = default;

CBasePin* MuxBaseFilter::GetPin(int n)
{
    switch (n) {
    case 0:
        return m_videoIn.get();
    case 1:
        return m_audioIn.get();
    case 2:
        return m_videoOut.get();
    case 3:
        return m_audioOut.get();
    default:
        return nullptr;
    }
}

MuxInputPin* MuxBaseFilter::InputPin(StreamKind stream) const
{
    return stream == StreamKind::Video ? m_videoIn.get() : m_audioIn.get();
}

TimeShiftOutputPin* MuxBaseFilter::OutputPin(StreamKind stream) const
{
    return stream == StreamKind::Video ? m_videoOut.get() : m_audioOut.get();
}

STDMETHODIMP MuxBaseFilter::Pause()
{
    CAutoLock lock(m_pLock);
    if (m_State != State_Stopped)
        return CBaseFilter::Pause();
    HRESULT hr = m_mux->PrepareRecording();
    if (FAILED(hr))
        return hr;
    hr = CBaseFilter::Pause();
    if (FAILED(hr))
        m_mux->AbandonRecording();
    return hr;
}

STDMETHODIMP MuxBaseFilter::Stop()
{
    CAutoLock lock(m_pLock);
    const HRESULT hr = CBaseFilter::Stop();
    m_mux->EndRecording();
    return hr;
}

const AMOVIESETUP_FILTER* MuxBaseFilter::GetSetupData()
{
    return &kMuxFilterSetup;
}

void MuxBaseFilter::Notify(int32_t code, intptr_t param1, intptr_t param2)
{
    NotifyEvent(code, param1, param2);
}
