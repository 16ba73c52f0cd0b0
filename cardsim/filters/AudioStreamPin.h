// The capture filter's audio pins (preview and capture): 16-bit stereo PCM carrying the tone
// of the routed crossbar input and a sample-frame count, in 20 ms buffers.
#pragma once

#include <memory>

#include "DeliveryTimeline.h"
#include "LiveStreamPin.h"
#include "StreamCaps.h"
#include "TestTone.h"

namespace cardsim {

class AudioStreamPin : public LiveStreamPin, public IAMStreamConfig {
public:
    AudioStreamPin(const wchar_t* name, CaptureFilter* filter, CCritSec* lock, HRESULT* hr, const GUID& category);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID iid, void** object) override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

protected:
    Step NextStep(REFERENCE_TIME now, REFERENCE_TIME& waitFor) override;
    HRESULT FillSample(IMediaSample* sample) override;
    void StartStream() override;

private:
    int rate_ = kDefaultSampleRate;  // set through IAMStreamConfig, or the default
    bool rateSet_ = false;
    int connectedRate_ = kDefaultSampleRate;
    std::unique_ptr<AudioTimeline> timeline_;
    AudioTimeline::Buffer pending_{};
    AudioInput source_ = AudioInput::None;
    bool waitingForSignal_ = true;
};

}  // namespace cardsim
