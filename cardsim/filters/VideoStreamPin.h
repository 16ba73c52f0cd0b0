// The capture filter's video pins (capture and preview): YUY2 pictures of the simulated input
// at the input's frame rate, with IAMStreamConfig over the card's capabilities.
#pragma once

#include "DeliveryTimeline.h"
#include "LiveStreamPin.h"
#include "StreamCaps.h"

namespace cardsim {

class VideoStreamPin : public LiveStreamPin, public IAMStreamConfig, public ISpecifyPropertyPages {
public:
    VideoStreamPin(const wchar_t* name, CaptureFilter* filter, CCritSec* lock, HRESULT* hr, const GUID& category);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID iid, void** object) override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

    // ISpecifyPropertyPages: the stream format page.
    STDMETHODIMP GetPages(CAUUID* pages) override;

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

protected:
    Step NextStep(REFERENCE_TIME now, REFERENCE_TIME& waitFor) override;
    HRESULT FillSample(IMediaSample* sample) override;
    void StartStream() override;

private:
    VideoCapability CurrentFormat() const;

    VideoCapability format_;  // the format set through IAMStreamConfig, or the default
    bool formatSet_ = false;
    VideoCapability connected_;  // the format of the connection
    VideoTimeline timeline_;
    VideoTimeline::Frame pending_{};
    bool interlaced_ = false;
    bool waitingForSignal_ = true;
};

}  // namespace cardsim
