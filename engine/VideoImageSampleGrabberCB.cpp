#include "VideoImageSampleGrabberCB.h"

STDMETHODIMP CVideoImageSampleGrabberCB::SampleCB(double, IMediaSample* sample)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (!armed_ || !store_ || store_->Remaining() == 0 || !sample)
        return S_OK;
    BYTE* data = nullptr;
    const HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr))
        return hr;
    store_->Append(data, sample->GetActualDataLength());
    if (store_->Remaining() == 0) {
        PostMessageW(window_, message_, 0, parameter_);
        armed_ = false;
    }
    return S_OK;
}

void CVideoImageSampleGrabberCB::Reset()
{
    std::lock_guard<std::mutex> hold(lock_);
    armed_ = false;
}

void CVideoImageSampleGrabberCB::SetTarget(StillFrameStore* store, HWND window, UINT message, LPARAM parameter)
{
    std::lock_guard<std::mutex> hold(lock_);
    store_ = store;
    window_ = window;
    message_ = message;
    parameter_ = parameter;
}

void CVideoImageSampleGrabberCB::Arm()
{
    std::lock_guard<std::mutex> hold(lock_);
    armed_ = true;
}
