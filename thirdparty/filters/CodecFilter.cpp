#include "CodecFilter.h"

#include <algorithm>

namespace standin {

CodecInputPin::CodecInputPin(CodecFilter* filter, CCritSec* lock, HRESULT* phr)
    : CBaseInputPin(L"Codec input", filter, lock, phr, L"Input"),
      m_codec(filter)
{
}

HRESULT CodecInputPin::CheckMediaType(const CMediaType* pmt)
{
    return m_codec->CheckInputType(*pmt);
}

HRESULT CodecInputPin::CompleteConnect(IPin* pReceivePin)
{
    const HRESULT hr = CBaseInputPin::CompleteConnect(pReceivePin);
    if (SUCCEEDED(hr))
        m_codec->InputTypeChanged();
    return hr;
}

HRESULT CodecInputPin::BreakConnect()
{
    const HRESULT hr = CBaseInputPin::BreakConnect();
    m_codec->InputTypeChanged();
    return hr;
}

STDMETHODIMP CodecInputPin::Receive(IMediaSample* pSample)
{
    CAutoLock receiving(&m_codec->m_receiveLock);
    HRESULT hr = CBaseInputPin::Receive(pSample);
    if (hr != S_OK)
        return hr;
    return m_codec->Process(pSample);
}

STDMETHODIMP CodecInputPin::EndOfStream()
{
    CAutoLock receiving(&m_codec->m_receiveLock);
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK)
        return hr;
    return m_codec->Output()->DeliverEndOfStream();
}

STDMETHODIMP CodecInputPin::BeginFlush()
{
    CAutoLock lock(m_pLock);
    const HRESULT hr = CBaseInputPin::BeginFlush();
    if (FAILED(hr))
        return hr;
    return m_codec->Output()->DeliverBeginFlush();
}

STDMETHODIMP CodecInputPin::EndFlush()
{
    CAutoLock lock(m_pLock);
    const HRESULT hr = m_codec->Output()->DeliverEndFlush();
    CBaseInputPin::EndFlush();
    return hr;
}

STDMETHODIMP CodecInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    CBasePin::NewSegment(tStart, tStop, dRate);
    return m_codec->Output()->DeliverNewSegment(tStart, tStop, dRate);
}

CodecOutputPin::CodecOutputPin(CodecFilter* filter, CCritSec* lock, HRESULT* phr)
    : CBaseOutputPin(L"Codec output", filter, lock, phr, L"Output"),
      m_codec(filter)
{
}

HRESULT CodecOutputPin::CheckConnect(IPin* pPin)
{
    if (!m_codec->Input()->IsConnected())
        return VFW_E_NO_TYPES;
    return CBaseOutputPin::CheckConnect(pPin);
}

HRESULT CodecOutputPin::CheckMediaType(const CMediaType* pmt)
{
    if (!m_codec->Input()->IsConnected())
        return VFW_E_NOT_CONNECTED;
    return m_codec->CheckOutputType(m_codec->Input()->CurrentMediaType(), *pmt);
}

HRESULT CodecOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    if (iPosition < 0)
        return E_INVALIDARG;
    if (!m_codec->Input()->IsConnected())
        return VFW_S_NO_MORE_ITEMS;
    return m_codec->GetOutputType(m_codec->Input()->CurrentMediaType(), iPosition, *pMediaType);
}

HRESULT CodecOutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pprop)
{
    const long size = m_codec->OutputBufferSize(m_codec->Input()->CurrentMediaType(), m_mt);
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
    : CBaseFilter(name, outer, &m_filterLock, clsid, phr)
{
    m_input = std::make_unique<CodecInputPin>(this, &m_filterLock, phr);
}

CodecFilter::~CodecFilter() = default;

CBasePin* CodecFilter::GetPin(int n)
{
    switch (n) {
    case 0:
        return m_input.get();
    case 1:
        return m_output.get();
    default:
        return nullptr;
    }
}

STDMETHODIMP CodecFilter::Stop()
{
    CAutoLock lock(&m_filterLock);
    const HRESULT hr = CBaseFilter::Stop();
    CAutoLock receiving(&m_receiveLock);
    return hr;
}

HRESULT CodecFilter::Process(IMediaSample* in)
{
    IMediaSample* out = nullptr;
    HRESULT hr = m_output->GetDeliveryBuffer(&out, nullptr, nullptr, 0);
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
        hr = m_output->Deliver(out);
    out->Release();
    return hr;
}

}  // namespace standin
