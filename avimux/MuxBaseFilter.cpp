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
      mux_(mux)
{
    HRESULT hr = S_OK;
    videoIn_.reset(new (std::nothrow) MuxInputPin(this, lock, &hr, StreamKind::Video));
    audioIn_.reset(new (std::nothrow) MuxInputPin(this, lock, &hr, StreamKind::Audio));
    videoOut_.reset(new (std::nothrow) TimeShiftOutputPin(this, lock, &hr, StreamKind::Video));
    audioOut_.reset(new (std::nothrow) TimeShiftOutputPin(this, lock, &hr, StreamKind::Audio));
    if (!videoIn_ || !audioIn_ || !videoOut_ || !audioOut_)
        hr = E_OUTOFMEMORY;
    if (FAILED(hr) && phr)
        *phr = hr;
}

MuxBaseFilter::~MuxBaseFilter() = default;

CBasePin* MuxBaseFilter::GetPin(int n)
{
    switch (n) {
    case 0:
        return videoIn_.get();
    case 1:
        return audioIn_.get();
    case 2:
        return videoOut_.get();
    case 3:
        return audioOut_.get();
    default:
        return nullptr;
    }
}

MuxInputPin* MuxBaseFilter::InputPin(StreamKind stream) const
{
    return stream == StreamKind::Video ? videoIn_.get() : audioIn_.get();
}

TimeShiftOutputPin* MuxBaseFilter::OutputPin(StreamKind stream) const
{
    return stream == StreamKind::Video ? videoOut_.get() : audioOut_.get();
}

STDMETHODIMP MuxBaseFilter::Pause()
{
    CAutoLock lock(m_pLock);
    if (m_State != State_Stopped)
        return CBaseFilter::Pause();
    HRESULT hr = mux_->PrepareRecording();
    if (FAILED(hr))
        return hr;
    hr = CBaseFilter::Pause();
    if (FAILED(hr))
        mux_->AbandonRecording();
    return hr;
}

STDMETHODIMP MuxBaseFilter::Stop()
{
    CAutoLock lock(m_pLock);
    const HRESULT hr = CBaseFilter::Stop();
    mux_->EndRecording();
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
