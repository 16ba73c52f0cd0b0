#include "BaseSampleGrabberCB.h"

STDMETHODIMP CBaseSampleGrabberCB::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_ISampleGrabberCB) {
        *object = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CBaseSampleGrabberCB::SampleCB(double, IMediaSample*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CBaseSampleGrabberCB::BufferCB(double, BYTE*, long)
{
    return E_NOTIMPL;
}

HRESULT CBaseSampleGrabberCB::Attach(ISampleGrabber* grabber)
{
    Detach();
    Reset();
    if (!grabber)
        return E_POINTER;
    const HRESULT hr = grabber->SetCallback(this, 0);
    if (FAILED(hr))
        return hr;
    grabber_ = grabber;
    return S_OK;
}

void CBaseSampleGrabberCB::Detach()
{
    if (!grabber_)
        return;
    grabber_->SetCallback(nullptr, 0);
    grabber_.Reset();
}

CBaseSampleGrabberCB::~CBaseSampleGrabberCB()
{
    Detach();
}
