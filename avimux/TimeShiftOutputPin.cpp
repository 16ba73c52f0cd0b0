#include "TimeShiftOutputPin.h"

#include "MuxBaseFilter.h"
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

HRESULT TimeShiftOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    CheckPointer(pMediaType, E_POINTER);
    if (iPosition < 0)
        return E_INVALIDARG;
    CAutoLock lock(m_pLock);
    const CBaseInputPin* input = MatchingInput();
    if (iPosition > 0 || !input->IsConnected())
        return VFW_S_NO_MORE_ITEMS;
    return pMediaType->Set(input->CurrentMediaType());
}

HRESULT TimeShiftOutputPin::CheckMediaType(const CMediaType* pmt)
{
    CheckPointer(pmt, E_POINTER);
    CAutoLock lock(m_pLock);
    const CBaseInputPin* input = MatchingInput();
    return input->IsConnected() && *pmt == input->CurrentMediaType() ? S_OK : E_INVALIDARG;
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
