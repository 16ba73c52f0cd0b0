#include "G711OutputPin.h"

#include "G711Compressor.h"
#include "StandinFaults.h"

namespace standin {
namespace {

constexpr WORD kMissingExtraBytes = 2;

// The faulty answer: the format claims extra bytes beyond its block.
AM_MEDIA_TYPE* Offered(const CMediaType& type)
{
    AM_MEDIA_TYPE* offered = CreateMediaType(&type);
    if (offered && FaultWanted(Fault::OversizedFormat))
        reinterpret_cast<WAVEFORMATEX*>(offered->pbFormat)->cbSize = kMissingExtraBytes;
    return offered;
}

}  // namespace

G711OutputPin::G711OutputPin(G711Compressor* filter, HRESULT* phr)
    : CodecOutputPin(filter, filter->FilterLock(), phr),
      g711_(filter)
{
}

STDMETHODIMP G711OutputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    if (riid == IID_IAMStreamConfig)
        return GetInterface(static_cast<IAMStreamConfig*>(this), ppv);
    return CodecOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP G711OutputPin::SetFormat(AM_MEDIA_TYPE* pmt)
{
    CAutoLock lock(m_pLock);
    if (!m_pFilter->IsStopped())
        return VFW_E_NOT_STOPPED;
    if (!IsConnected())
        return g711_->SetChoice(pmt);
    if (!pmt)
        return g711_->SetChoice(nullptr);
    if (GetConnected()->QueryAccept(pmt) != S_OK)
        return VFW_E_INVALIDMEDIATYPE;
    const HRESULT hr = g711_->SetChoice(pmt);
    if (FAILED(hr))
        return hr;
    return m_pFilter->ReconnectPin(this, pmt);
}

STDMETHODIMP G711OutputPin::GetFormat(AM_MEDIA_TYPE** ppmt)
{
    CheckPointer(ppmt, E_POINTER);
    *ppmt = nullptr;
    CAutoLock lock(m_pLock);
    CMediaType type;
    const HRESULT hr = g711_->CurrentOutputType(type);
    if (FAILED(hr))
        return hr;
    *ppmt = Offered(type);
    return *ppmt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP G711OutputPin::GetNumberOfCapabilities(int* piCount, int* piSize)
{
    CheckPointer(piCount, E_POINTER);
    CheckPointer(piSize, E_POINTER);
    *piCount = kG711OfferCount;
    *piSize = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP G711OutputPin::GetStreamCaps(int iIndex, AM_MEDIA_TYPE** ppmt, BYTE* pSCC)
{
    CheckPointer(ppmt, E_POINTER);
    CheckPointer(pSCC, E_POINTER);
    *ppmt = nullptr;
    if (iIndex < 0)
        return E_INVALIDARG;
    if (iIndex >= kG711OfferCount)
        return S_FALSE;
    CAutoLock lock(m_pLock);
    CMediaType type;
    const HRESULT hr = g711_->OfferedType(iIndex, type);
    if (FAILED(hr))
        return hr;
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type.Format());
    AUDIO_STREAM_CONFIG_CAPS caps{};
    caps.guid = MEDIATYPE_Audio;
    caps.MinimumChannels = caps.MaximumChannels = format->nChannels;
    caps.ChannelsGranularity = 1;
    caps.MinimumBitsPerSample = caps.MaximumBitsPerSample = format->wBitsPerSample;
    caps.BitsPerSampleGranularity = 1;
    caps.MinimumSampleFrequency = caps.MaximumSampleFrequency = format->nSamplesPerSec;
    caps.SampleFrequencyGranularity = 1;
    *reinterpret_cast<AUDIO_STREAM_CONFIG_CAPS*>(pSCC) = caps;
    *ppmt = Offered(type);
    return *ppmt ? S_OK : E_OUTOFMEMORY;
}

}  // namespace standin
