#include "TimeShiftOutputPin.h"

#include <cstring>

#include "MuxBaseFilter.h"
#include "MuxFilter.h"
#include "MuxInputPin.h"

using trelvox::StreamKind;

TimeShiftOutputPin::TimeShiftOutputPin(MuxBaseFilter* filter, CCritSec* lock, HRESULT* phr, StreamKind stream)
    : CBaseOutputPin(stream == StreamKind::Video ? L"Video playback" : L"Audio playback", filter, lock, phr,
                     stream == StreamKind::Video ? L"~Video" : L"~Audio"),
      m_mux(filter),
      m_stream(stream)
{
}

CBaseInputPin* TimeShiftOutputPin::MatchingInput() const
{
    return m_mux->InputPin(m_stream);
}

bool TimeShiftOutputPin::PlaybackType(CMediaType* type) const
{
    const CBaseInputPin* input = MatchingInput();
    if (!input->IsConnected() || FAILED(type->Set(input->CurrentMediaType())))
        return false;
    const trelvox::MuxSettings settings = m_mux->Mux()->Settings();
    if (m_stream == StreamKind::Video && settings.frameDurationOverrideEnabled &&
        settings.timeShiftVideoTypeOverride && type->FormatLength() >= 48) {
        // AvgTimePerFrame lies at byte 40 of VIDEOINFOHEADER and VIDEOINFOHEADER2.
        std::memcpy(type->Format() + 40, &settings.frameDurationOverride, sizeof(REFERENCE_TIME));
    }
    if (m_stream == StreamKind::Audio && settings.audioRateOverrideEnabled && settings.timeShiftAudioTypeOverride &&
        type->FormatLength() >= sizeof(WAVEFORMAT)) {
        auto* wave = reinterpret_cast<WAVEFORMAT*>(type->Format());
        if (wave->nSamplesPerSec != 0) {
            wave->nAvgBytesPerSec = static_cast<DWORD>(static_cast<ULONGLONG>(wave->nAvgBytesPerSec) *
                                                       settings.audioRateOverride / wave->nSamplesPerSec);
            wave->nSamplesPerSec = settings.audioRateOverride;
        }
    }
    return true;
}

HRESULT TimeShiftOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    CheckPointer(pMediaType, E_POINTER);
    if (iPosition < 0)
        return E_INVALIDARG;
    CAutoLock lock(m_pLock);
    if (iPosition > 0 || !PlaybackType(pMediaType))
        return VFW_S_NO_MORE_ITEMS;
    return S_OK;
}

HRESULT TimeShiftOutputPin::CheckMediaType(const CMediaType* pmt)
{
    CheckPointer(pmt, E_POINTER);
    CAutoLock lock(m_pLock);
    CMediaType offered;
    return PlaybackType(&offered) && *pmt == offered ? S_OK : E_INVALIDARG;
}

HRESULT TimeShiftOutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pRequest)
{
    CheckPointer(pAlloc, E_POINTER);
    CheckPointer(pRequest, E_POINTER);
    LONG bytes = static_cast<LONG>(MatchingInput()->CurrentMediaType().GetSampleSize());
    IMemAllocator* inputAllocator = nullptr;
    if (SUCCEEDED(MatchingInput()->GetAllocator(&inputAllocator))) {
        ALLOCATOR_PROPERTIES inputProps{};
        if (SUCCEEDED(inputAllocator->GetProperties(&inputProps)) && inputProps.cbBuffer > 0)
            bytes = inputProps.cbBuffer;
        inputAllocator->Release();
    }
    pRequest->cBuffers = 1;
    pRequest->cbBuffer = bytes > 0 ? bytes : 1;
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = pAlloc->SetProperties(pRequest, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < pRequest->cbBuffer ? E_FAIL : S_OK;
}
