#include "CodecFilter.h"

#include <algorithm>

namespace standin {

CodecInputPin::CodecInputPin(CodecFilter* filter, CCritSec* lock, HRESULT* phr)
    : CBaseInputPin(L"Codec input", filter, lock, phr, L"Input"),
      codec_(filter)
{
}

HRESULT CodecInputPin::CheckMediaType(const CMediaType* pmt)
{
    return codec_->CheckInputType(*pmt);
}

HRESULT CodecInputPin::CompleteConnect(IPin* pReceivePin)
{
    const HRESULT hr = CBaseInputPin::CompleteConnect(pReceivePin);
    if (SUCCEEDED(hr))
        codec_->InputTypeChanged();
    return hr;
}

HRESULT CodecInputPin::BreakConnect()
{
    const HRESULT hr = CBaseInputPin::BreakConnect();
    codec_->InputTypeChanged();
    return hr;
}

STDMETHODIMP CodecInputPin::Receive(IMediaSample* pSample)
{
    CAutoLock receiving(&codec_->receiveLock_);
    HRESULT hr = CBaseInputPin::Receive(pSample);
    if (hr != S_OK)
        return hr;
    return codec_->Process(pSample);
}

STDMETHODIMP CodecInputPin::EndOfStream()
{
    CAutoLock receiving(&codec_->receiveLock_);
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK)
        return hr;
    return codec_->Output()->DeliverEndOfStream();
}

STDMETHODIMP CodecInputPin::BeginFlush()
{
    CAutoLock lock(m_pLock);
    const HRESULT hr = CBaseInputPin::BeginFlush();
    if (FAILED(hr))
        return hr;
    return codec_->Output()->DeliverBeginFlush();
}

STDMETHODIMP CodecInputPin::EndFlush()
{
    CAutoLock lock(m_pLock);
    const HRESULT hr = codec_->Output()->DeliverEndFlush();
    CBaseInputPin::EndFlush();
    return hr;
}

STDMETHODIMP CodecInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    CBasePin::NewSegment(tStart, tStop, dRate);
    return codec_->Output()->DeliverNewSegment(tStart, tStop, dRate);
}

CodecOutputPin::CodecOutputPin(CodecFilter* filter, CCritSec* lock, HRESULT* phr)
    : CBaseOutputPin(L"Codec output", filter, lock, phr, L"Output"),
      codec_(filter)
{
}

HRESULT CodecOutputPin::CheckConnect(IPin* pPin)
{
    if (!codec_->Input()->IsConnected())
        return VFW_E_NO_TYPES;
    return CBaseOutputPin::CheckConnect(pPin);
}

HRESULT CodecOutputPin::CheckMediaType(const CMediaType* pmt)
{
    if (!codec_->Input()->IsConnected())
        return VFW_E_NOT_CONNECTED;
    return codec_->CheckOutputType(codec_->Input()->CurrentMediaType(), *pmt);
}

HRESULT CodecOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    if (iPosition < 0)
        return E_INVALIDARG;
    if (!codec_->Input()->IsConnected())
        return VFW_S_NO_MORE_ITEMS;
    return codec_->GetOutputType(codec_->Input()->CurrentMediaType(), iPosition, *pMediaType);
}

HRESULT CodecOutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pprop)
{
    const long size = codec_->OutputBufferSize(codec_->Input()->CurrentMediaType(), m_mt);
    if (size <= 0)
        return E_FAIL;
    pprop->cbBuffer = std::max(pprop->cbBuffer, size);
    pprop->cBuffers = std::max(pprop->cBuffers, 2L);
    if (pprop->cbAlign <= 0)
        pprop->cbAlign = 1;
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = pAlloc->SetProperties(pprop, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < size ? E_FAIL : S_OK;
}

CodecFilter::CodecFilter(LPCTSTR name, LPUNKNOWN outer, REFCLSID clsid, HRESULT* phr)
    : CBaseFilter(name, outer, &filterLock_, clsid, phr)
{
    input_ = std::make_unique<CodecInputPin>(this, &filterLock_, phr);
}

CodecFilter::~CodecFilter() = default;

CBasePin* CodecFilter::GetPin(int n)
{
    switch (n) {
    case 0:
        return input_.get();
    case 1:
        return output_.get();
    default:
        return nullptr;
    }
}

STDMETHODIMP CodecFilter::Stop()
{
    CAutoLock lock(&filterLock_);
    const HRESULT hr = CBaseFilter::Stop();
    CAutoLock receiving(&receiveLock_);
    return hr;
}

HRESULT CodecFilter::Process(IMediaSample* in)
{
    IMediaSample* out = nullptr;
    HRESULT hr = output_->GetDeliveryBuffer(&out, nullptr, nullptr, 0);
    if (FAILED(hr))
        return hr;
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT timed = in->GetTime(&start, &stop);
    if (SUCCEEDED(timed))
        out->SetTime(&start, timed == VFW_S_NO_STOP_TIME ? nullptr : &stop);
    else
        out->SetTime(nullptr, nullptr);
    LONGLONG mediaStart = 0, mediaStop = 0;
    if (in->GetMediaTime(&mediaStart, &mediaStop) == S_OK)
        out->SetMediaTime(&mediaStart, &mediaStop);
    else
        out->SetMediaTime(nullptr, nullptr);
    out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
    out->SetPreroll(in->IsPreroll() == S_OK);
    hr = Encode(in, out);
    if (SUCCEEDED(hr))
        hr = output_->Deliver(out);
    out->Release();
    return hr;
}

}  // namespace standin
