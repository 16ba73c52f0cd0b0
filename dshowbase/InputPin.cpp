#include "InputPin.h"

#include <evcode.h>
#include <vfwmsgs.h>

#include "Allocator.h"

CBaseInputPin::CBaseInputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_INPUT)
{
}

CBaseInputPin::~CBaseInputPin()
{
    if (m_pAllocator)
        m_pAllocator->Release();
}

STDMETHODIMP CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMemInputPin)
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    CheckPointer(ppAllocator, E_POINTER);
    *ppAllocator = nullptr;
    CAutoLock lock(m_pLock);
    if (!m_pAllocator) {
        const HRESULT hr = CMemAllocator::Create(&m_pAllocator);
        if (FAILED(hr))
            return hr;
    }
    *ppAllocator = m_pAllocator;
    m_pAllocator->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    CheckPointer(pAllocator, E_POINTER);
    CAutoLock lock(m_pLock);
    pAllocator->AddRef();
    if (m_pAllocator)
        m_pAllocator->Release();
    m_pAllocator = pAllocator;
    m_bReadOnly = bReadOnly;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*)
{
    return E_NOTIMPL;
}

HRESULT CBaseInputPin::CheckStreaming()
{
    if (!IsConnected())
        return VFW_E_NOT_CONNECTED;
    if (IsStopped())
        return VFW_E_WRONG_STATE;
    if (m_bFlushing)
        return S_FALSE;
    if (m_bRunTimeError)
        return VFW_E_RUNTIME_ERROR;
    return S_OK;
}

namespace {

// The properties of a sample that offers only IMediaSample.
void ReadBasicProperties(IMediaSample* pSample, AM_SAMPLE2_PROPERTIES& props)
{
    props = {};
    props.cbData = sizeof props;
    HRESULT hr = pSample->GetTime(&props.tStart, &props.tStop);
    if (SUCCEEDED(hr)) {
        props.dwSampleFlags |= AM_SAMPLE_TIMEVALID;
        if (hr == S_OK)
            props.dwSampleFlags |= AM_SAMPLE_STOPVALID;
    }
    if (pSample->IsSyncPoint() == S_OK)
        props.dwSampleFlags |= AM_SAMPLE_SPLICEPOINT;
    if (pSample->IsPreroll() == S_OK)
        props.dwSampleFlags |= AM_SAMPLE_PREROLL;
    if (pSample->IsDiscontinuity() == S_OK)
        props.dwSampleFlags |= AM_SAMPLE_DATADISCONTINUITY;
    if (pSample->GetMediaType(&props.pMediaType) == S_OK)
        props.dwSampleFlags |= AM_SAMPLE_TYPECHANGED;
    pSample->GetPointer(&props.pbBuffer);
    props.lActual = pSample->GetActualDataLength();
    props.cbBuffer = pSample->GetSize();
    props.dwStreamId = AM_STREAM_MEDIA;
}

}  // namespace

STDMETHODIMP CBaseInputPin::Receive(IMediaSample* pSample)
{
    CheckPointer(pSample, E_POINTER);
    HRESULT hr = CheckStreaming();
    if (hr != S_OK)
        return hr;

    // A type given with the basic interface is ours to free; keep it only for the check.
    AM_MEDIA_TYPE* pOwnedType = nullptr;
    IMediaSample2* pSample2 = nullptr;
    if (SUCCEEDED(pSample->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&pSample2)))) {
        hr = pSample2->GetProperties(sizeof m_SampleProps, reinterpret_cast<BYTE*>(&m_SampleProps));
        pSample2->Release();
        if (FAILED(hr))
            return hr;
    } else {
        ReadBasicProperties(pSample, m_SampleProps);
        pOwnedType = m_SampleProps.pMediaType;
    }

    if (m_SampleProps.dwSampleFlags & AM_SAMPLE_TYPECHANGED) {
        HRESULT hrType = E_POINTER;
        if (m_SampleProps.pMediaType) {
            const CMediaType changed(*m_SampleProps.pMediaType);
            hrType = CheckMediaType(&changed);
        }
        if (pOwnedType) {
            DeleteMediaType(pOwnedType);
            m_SampleProps.pMediaType = nullptr;
        }
        if (hrType != S_OK) {
            // The upstream filter changed to a type we cannot take: stop the stream.
            EndOfStream();
            m_pFilter->NotifyEvent(EC_ERRORABORT, VFW_E_TYPE_NOT_ACCEPTED, 0);
            m_bRunTimeError = true;
            return VFW_E_INVALIDMEDIATYPE;
        }
    }
    return S_OK;
}

STDMETHODIMP CBaseInputPin::ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed)
{
    CheckPointer(pSamples, E_POINTER);
    CheckPointer(nSamplesProcessed, E_POINTER);
    *nSamplesProcessed = 0;
    HRESULT hr = S_OK;
    while (nSamples-- > 0) {
        hr = Receive(pSamples[*nSamplesProcessed]);
        if (hr != S_OK)
            break;
        ++*nSamplesProcessed;
    }
    return hr;
}

STDMETHODIMP CBaseInputPin::ReceiveCanBlock()
{
    // We block when we render, or when a pin we deliver to may block.
    int outputs = 0;
    const int count = m_pFilter->GetPinCount();
    for (int i = 0; i < count; ++i) {
        CBasePin* pPin = m_pFilter->GetPin(i);
        if (!pPin)
            continue;
        PIN_DIRECTION dir;
        if (FAILED(pPin->QueryDirection(&dir)) || dir != PINDIR_OUTPUT)
            continue;
        ++outputs;
        IPin* pConnected = nullptr;
        if (FAILED(pPin->ConnectedTo(&pConnected)))
            continue;
        IMemInputPin* pInput = nullptr;
        HRESULT hr = pConnected->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&pInput));
        pConnected->Release();
        if (FAILED(hr))
            return S_OK;  // cannot tell: assume it may block
        hr = pInput->ReceiveCanBlock();
        pInput->Release();
        if (hr != S_FALSE)
            return S_OK;
    }
    return outputs == 0 ? S_OK : S_FALSE;
}

STDMETHODIMP CBaseInputPin::BeginFlush()
{
    CAutoLock lock(m_pLock);
    m_bFlushing = TRUE;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::EndFlush()
{
    CAutoLock lock(m_pLock);
    m_bFlushing = FALSE;
    m_bRunTimeError = false;
    return S_OK;
}

HRESULT CBaseInputPin::BreakConnect()
{
    if (m_pAllocator) {
        m_pAllocator->Decommit();
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    return S_OK;
}

HRESULT CBaseInputPin::Inactive()
{
    m_bRunTimeError = false;
    m_bFlushing = FALSE;
    // An upstream pin that delivers its own samples may never have named an
    // allocator; then there is nothing to decommit.
    return m_pAllocator ? m_pAllocator->Decommit() : S_OK;
}
