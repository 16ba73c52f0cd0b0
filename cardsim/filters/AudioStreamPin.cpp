#include "AudioStreamPin.h"

#include <algorithm>

#include "CaptureFilter.h"
#include "CardMediaFormats.h"
#include "SimulatedCard.h"
#include "StreamConfig.h"
#include "TestTone.h"

namespace cardsim {
namespace {

constexpr int kBuffers = 16;
// Buffers more than this far behind the clock are given up.
constexpr REFERENCE_TIME kMostBehind = 2000000;  // 200 ms

}  // namespace

AudioStreamPin::AudioStreamPin(const wchar_t* name, CaptureFilter* filter, CCritSec* lock, HRESULT* hr,
                               const GUID& category)
    : LiveStreamPin(name, filter, lock, hr, category)
{
}

STDMETHODIMP AudioStreamPin::NonDelegatingQueryInterface(REFIID iid, void** object)
{
    if (iid == IID_IAMStreamConfig)
        return GetInterface(static_cast<IAMStreamConfig*>(this), object);
    return LiveStreamPin::NonDelegatingQueryInterface(iid, object);
}

STDMETHODIMP AudioStreamPin::SetFormat(AM_MEDIA_TYPE* type)
{
    return ChangeStreamFormat<int>(*this, *Filter(), *m_pLock, type, ReadAudioType, [this](const int* rate) {
        rate_ = rate ? *rate : kDefaultSampleRate;
        rateSet_ = rate != nullptr;
    });
}

STDMETHODIMP AudioStreamPin::GetFormat(AM_MEDIA_TYPE** type)
{
    CheckPointer(type, E_POINTER);
    CAutoLock hold(m_pLock);
    *type = NewAudioMediaType(IsConnected() ? connectedRate_ : rate_);
    return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP AudioStreamPin::GetNumberOfCapabilities(int* count, int* size)
{
    CheckPointer(count, E_POINTER);
    CheckPointer(size, E_POINTER);
    *count = static_cast<int>(AudioSampleRates().size());
    *size = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP AudioStreamPin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps)
{
    return StreamCapsAt(AudioSampleRates(), index, type, caps, NewAudioMediaType, AudioConfigCaps);
}

HRESULT AudioStreamPin::CheckMediaType(const CMediaType* type)
{
    CheckPointer(type, E_POINTER);
    int rate = 0;
    if (SimulatedCard::Instance().Faults().refuseAudio || !ReadAudioType(*type, rate) || (rateSet_ && rate != rate_))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT AudioStreamPin::GetMediaType(int position, CMediaType* type)
{
    CheckPointer(type, E_POINTER);
    if (position < 0)
        return E_INVALIDARG;
    int rate = rate_;
    if (position > 0) {
        const std::vector<int> rates = AudioSampleRates();
        if (rateSet_ || position > static_cast<int>(rates.size()))
            return VFW_S_NO_MORE_ITEMS;
        rate = rates[position - 1];
    }
    AM_MEDIA_TYPE* made = NewAudioMediaType(rate);
    if (!made)
        return E_OUTOFMEMORY;
    type->Adopt(made);
    return S_OK;
}

HRESULT AudioStreamPin::SetMediaType(const CMediaType* type)
{
    int rate = 0;
    if (!ReadAudioType(*type, rate))
        return VFW_E_TYPE_NOT_ACCEPTED;
    connectedRate_ = rate;
    return CBaseOutputPin::SetMediaType(type);
}

HRESULT AudioStreamPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    CheckPointer(allocator, E_POINTER);
    CheckPointer(request, E_POINTER);
    const long bufferBytes = AudioBufferFrames(connectedRate_) * kAudioBlockAlign;
    request->cBuffers = std::max(request->cBuffers, static_cast<long>(kBuffers));
    request->cbBuffer = std::max(request->cbBuffer, bufferBytes);
    request->cbAlign = std::max(request->cbAlign, 1L);
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < bufferBytes ? E_FAIL : S_OK;
}

void AudioStreamPin::StartStream()
{
    timeline_ = std::make_unique<AudioTimeline>(connectedRate_);
    waitingForSignal_ = true;
}

LiveStreamPin::Step AudioStreamPin::NextStep(REFERENCE_TIME now, REFERENCE_TIME& waitFor)
{
    SimulatedCard& card = SimulatedCard::Instance();
    const FaultPlan faults = card.Faults();
    if (!TimingOf(card.CurrentInput()).hasSignal || faults.noAudio) {
        waitingForSignal_ = true;
        return Step::Wait;
    }
    if (waitingForSignal_ || now - timeline_->NextDue() > kMostBehind) {
        timeline_->Resume(now);
        waitingForSignal_ = false;
    }
    if (now < timeline_->NextDue()) {
        waitFor = timeline_->NextDue() - now;
        return Step::Wait;
    }
    pending_ = timeline_->Next(faults);
    source_ = card.RoutedAudio();
    return Step::Deliver;
}

HRESULT AudioStreamPin::FillSample(IMediaSample* sample)
{
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr))
        return hr;
    const long bytes = static_cast<long>(pending_.frames) * kAudioBlockAlign;
    if (sample->GetSize() < bytes)
        return E_UNEXPECTED;
    FillAudio(reinterpret_cast<int16_t*>(data), pending_.frames, pending_.firstFrame, connectedRate_, source_);
    sample->SetActualDataLength(bytes);
    if (pending_.timed) {
        REFERENCE_TIME start = pending_.start;
        REFERENCE_TIME end = pending_.end;
        LONGLONG mediaStart = static_cast<LONGLONG>(pending_.firstFrame);
        LONGLONG mediaEnd = mediaStart + pending_.frames;
        sample->SetTime(&start, &end);
        sample->SetMediaTime(&mediaStart, &mediaEnd);
    } else {
        sample->SetTime(nullptr, nullptr);
        sample->SetMediaTime(nullptr, nullptr);
    }
    return S_OK;
}

}  // namespace cardsim
