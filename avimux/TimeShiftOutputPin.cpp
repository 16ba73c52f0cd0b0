#include "TimeShiftOutputPin.h"

#include <cstring>

#include "MuxBaseFilter.h"
#include "MuxFilter.h"
#include "MuxInputPin.h"

using trelvox::StreamKind;

namespace {

// Between tries when there is no buffer, nothing to deliver, or a delivery failed.
constexpr DWORD kRetryMs = 5;

}  // namespace

TimeShiftOutputPin::TimeShiftOutputPin(MuxBaseFilter* filter, CCritSec* lock, HRESULT* phr, StreamKind stream)
    : CAMThread(phr),
      CBaseOutputPin(stream == StreamKind::Video ? L"Video playback" : L"Audio playback", filter, lock, phr,
                     stream == StreamKind::Video ? L"~Video" : L"~Audio"),
      mux_(filter),
      stream_(stream)
{
}

CBaseInputPin* TimeShiftOutputPin::MatchingInput() const
{
    return mux_->InputPin(stream_);
}

bool TimeShiftOutputPin::PlaybackType(CMediaType* type) const
{
    const CBaseInputPin* input = MatchingInput();
    if (!input->IsConnected() || FAILED(type->Set(input->CurrentMediaType())))
        return false;
    const trelvox::MuxSettings settings = mux_->Mux()->Settings();
    if (stream_ == StreamKind::Video && settings.frameDurationOverrideEnabled && settings.timeShiftVideoTypeOverride &&
        type->FormatLength() >= 48) {
        // AvgTimePerFrame lies at byte 40 of VIDEOINFOHEADER and VIDEOINFOHEADER2.
        std::memcpy(type->Format() + 40, &settings.frameDurationOverride, sizeof(REFERENCE_TIME));
    }
    if (stream_ == StreamKind::Audio && settings.audioRateOverrideEnabled && settings.timeShiftAudioTypeOverride &&
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

HRESULT TimeShiftOutputPin::Active()
{
    if (!IsConnected())
        return S_OK;
    const HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr))
        return hr;
    if (!Create())
        return E_FAIL;
    if (mux_->Mux()->IsPlaying())
        RunPlayback();
    return S_OK;
}

HRESULT TimeShiftOutputPin::Inactive()
{
    if (!IsConnected())
        return S_OK;
    // Decommitting first frees a thread waiting for a buffer.
    const HRESULT hr = CBaseOutputPin::Inactive();
    if (ThreadExists()) {
        CallWorker(kRequestStop);
        CallWorker(kRequestExit);
        Close();
    }
    return hr;
}

void TimeShiftOutputPin::BeginReposition()
{
    repositioning_ = true;
    DeliverBeginFlush();
}

void TimeShiftOutputPin::EndReposition()
{
    DeliverEndFlush();
    repositioning_ = false;
}

void TimeShiftOutputPin::RunPlayback()
{
    if (ThreadExists())
        CallWorker(kRequestRun);
}

void TimeShiftOutputPin::StopPlayback()
{
    if (ThreadExists())
        CallWorker(kRequestStop);
}

DWORD TimeShiftOutputPin::ThreadProc()
{
    for (;;) {
        const DWORD request = GetRequest();
        switch (request) {
        case kRequestRun:
            Reply(S_OK);
            DeliveryLoop();
            break;
        case kRequestStop:
            Reply(S_OK);
            break;
        case kRequestExit:
            Reply(S_OK);
            return 0;
        default:
            Reply(static_cast<DWORD>(E_UNEXPECTED));
            break;
        }
    }
}

// Until a stop request, which is left for ThreadProc to answer.
void TimeShiftOutputPin::DeliveryLoop()
{
    for (;;) {
        DWORD request = 0;
        if (CheckRequest(&request)) {
            if (request == kRequestStop)
                return;
            Reply(request == kRequestRun ? S_OK : static_cast<DWORD>(E_UNEXPECTED));
            continue;
        }
        IMediaSample* sample = nullptr;
        if (FAILED(GetDeliveryBuffer(&sample, nullptr, nullptr, 0))) {
            Sleep(kRetryMs);
            continue;
        }
        HRESULT hr = S_FALSE;
        {
            CAutoLock delivery(&deliveryLock_);
            if (!repositioning_ && FillUnderPlaybackLock(sample) && !repositioning_)
                hr = Deliver(sample);
        }
        sample->Release();
        if (hr != S_OK)
            Sleep(kRetryMs);
    }
}

bool TimeShiftOutputPin::FillUnderPlaybackLock(IMediaSample* sample)
{
    CAutoLock lock(&playbackLock_);
    return Fill(sample);
}

bool TimeShiftOutputPin::Fill(IMediaSample* sample)
{
    BYTE* buffer = nullptr;
    if (FAILED(sample->GetPointer(&buffer)) || !buffer)
        return false;
    const long capacity = sample->GetSize();
    if (capacity <= 0)
        return false;
    CRefTime now;
    if (FAILED(mux_->StreamTime(now)))
        now.m_time = 0;
    const std::optional<trelvox::FilledSample> filled =
        mux_->Mux()->FillPlayback(stream_, cursor_, now.m_time, buffer, static_cast<uint32_t>(capacity));
    if (!filled)
        return false;
    // A video buffer holds nothing but the frame: zeros after it. (Zeroed only once a
    // frame is due, not on every try.)
    if (stream_ == StreamKind::Video)
        std::memset(buffer + filled->length, 0, static_cast<size_t>(capacity) - filled->length);
    if (filled->hasTime) {
        REFERENCE_TIME start = filled->start, stop = filled->stop;
        sample->SetTime(&start, &stop);
    } else {
        sample->SetTime(nullptr, nullptr);
    }
    sample->SetMediaTime(nullptr, nullptr);
    sample->SetSyncPoint(filled->sync ? TRUE : FALSE);
    sample->SetPreroll(FALSE);
    sample->SetDiscontinuity(filled->discontinuity ? TRUE : FALSE);
    sample->SetActualDataLength(static_cast<long>(filled->length));
    return true;
}
