// "Zelvan BDA Analog Capture Secondary": the card's capture filter. Pins, in order: the
// analog video input the crossbar feeds, video capture, video preview, audio preview, audio
// capture. Its IAMAnalogVideoDecoder reports the simulated input.
#pragma once

#include "dshowbase/streams.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "AnalogPins.h"
#include "AudioStreamPin.h"
#include "FilterCensus.h"
#include "VideoStreamPin.h"

namespace cardsim {

class CaptureFilter : public CBaseFilter, public IAMAnalogVideoDecoder, public ISpecifyPropertyPages {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID iid, void** object) override;

    int GetPinCount() override;
    CBasePin* GetPin(int index) override;

    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Stop() override;
    // A live source cannot cue: paused it delivers nothing.
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;

    // IAMAnalogVideoDecoder
    STDMETHODIMP get_AvailableTVFormats(long* formats) override;
    STDMETHODIMP put_TVFormat(long format) override;
    STDMETHODIMP get_TVFormat(long* format) override;
    STDMETHODIMP get_HorizontalLocked(long* locked) override;
    STDMETHODIMP put_VCRHorizontalLocking(long locking) override;
    STDMETHODIMP get_VCRHorizontalLocking(long* locking) override;
    STDMETHODIMP get_NumberOfLines(long* lines) override;
    STDMETHODIMP put_OutputEnable(long enable) override;
    STDMETHODIMP get_OutputEnable(long* enable) override;

    // ISpecifyPropertyPages: the video decoder page.
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // For the streaming threads: the stream time now, false unless the filter runs.
    bool RunningStreamTime(REFERENCE_TIME& now);
    // Counts the runs of the filter: frames of one run are counted once by the card.
    uint64_t Session() const { return session_; }

private:
    CaptureFilter(LPUNKNOWN outer, HRESULT* hr);
    ~CaptureFilter() override;
    void SetRunClock(IReferenceClock* clock);

    FilterCensus census_{"capture filter"};
    CCritSec lock_;
    std::unique_ptr<AnalogInputPin> analogIn_;
    std::unique_ptr<VideoStreamPin> videoCapture_;
    std::unique_ptr<VideoStreamPin> videoPreview_;
    std::unique_ptr<AudioStreamPin> audioPreview_;
    std::unique_ptr<AudioStreamPin> audioCapture_;

    // Guards the run state for the streaming threads, which never take the filter's lock:
    // Stop holds it while it waits for them.
    std::mutex runLock_;
    bool running_ = false;
    IReferenceClock* runClock_ = nullptr;
    REFERENCE_TIME runStart_ = 0;
    LARGE_INTEGER runCounterStart_{};  // for a graph without a clock
    std::atomic<uint64_t> session_{0};

    long vcrLocking_ = 0;
    long outputEnable_ = OATRUE;
};

}  // namespace cardsim
