#include "CaptureFilter.h"

#include "AnalogLink.h"
#include "CardGuids.h"
#include "CardPages.h"
#include "SimulatedCard.h"

namespace cardsim {
namespace {

std::atomic<uint64_t> sessions{0};

constexpr long kAvailableTvFormats = AnalogVideo_NTSC_M | AnalogVideo_NTSC_M_J | AnalogVideo_PAL_B;

}  // namespace

CUnknown* WINAPI CaptureFilter::CreateInstance(LPUNKNOWN outer, HRESULT* hr)
{
    auto* filter = new (std::nothrow) CaptureFilter(outer, hr);
    if (!filter && hr)
        *hr = E_OUTOFMEMORY;
    return filter;
}

CaptureFilter::CaptureFilter(LPUNKNOWN outer, HRESULT* hr)
    : CBaseFilter(kCaptureFilterName, outer, &lock_, kClsidCaptureFilter, hr)
{
    analogIn_ = std::make_unique<AnalogInputPin>(kAnalogVideoInName, this, &lock_, hr, MEDIATYPE_AnalogVideo,
                                                 &PIN_CATEGORY_ANALOGVIDEOIN);
    videoCapture_ = std::make_unique<VideoStreamPin>(kVideoCaptureName, this, &lock_, hr, PIN_CATEGORY_CAPTURE);
    videoPreview_ = std::make_unique<VideoStreamPin>(kVideoPreviewName, this, &lock_, hr, PIN_CATEGORY_PREVIEW);
    audioPreview_ = std::make_unique<AudioStreamPin>(kAudioPreviewName, this, &lock_, hr, PIN_CATEGORY_PREVIEW);
    audioCapture_ = std::make_unique<AudioStreamPin>(kAudioCaptureName, this, &lock_, hr, PIN_CATEGORY_CAPTURE);
}

CaptureFilter::~CaptureFilter()
{
    SetRunClock(nullptr);
}

STDMETHODIMP CaptureFilter::NonDelegatingQueryInterface(REFIID iid, void** object)
{
    if (iid == IID_IAMAnalogVideoDecoder)
        return GetInterface(static_cast<IAMAnalogVideoDecoder*>(this), object);
    if (iid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), object);
    return CBaseFilter::NonDelegatingQueryInterface(iid, object);
}

STDMETHODIMP CaptureFilter::GetPages(CAUUID* pages)
{
    return OnePage(kClsidDecoderPage, pages);
}

int CaptureFilter::GetPinCount()
{
    return 5;
}

CBasePin* CaptureFilter::GetPin(int index)
{
    switch (index) {
    case 0:
        return analogIn_.get();
    case 1:
        return videoCapture_.get();
    case 2:
        return videoPreview_.get();
    case 3:
        return audioPreview_.get();
    case 4:
        return audioCapture_.get();
    default:
        return nullptr;
    }
}

STDMETHODIMP CaptureFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    const HRESULT hr = CBaseFilter::JoinFilterGraph(graph, name);
    if (SUCCEEDED(hr) && graph)
        LinkCrossbarToCapture(graph, this);
    return hr;
}

STDMETHODIMP CaptureFilter::Run(REFERENCE_TIME start)
{
    CAutoLock filterHold(&lock_);
    // As a driver that cannot start the device: the filter stays as it was, the run fails.
    if (m_State != State_Running) {
        if (const uint32_t failure = SimulatedCard::Instance().Faults().startFailure)
            return static_cast<HRESULT>(failure);
    }
    const HRESULT hr = CBaseFilter::Run(start);
    if (SUCCEEDED(hr)) {
        std::lock_guard<std::mutex> hold(runLock_);
        SetRunClock(m_pClock);
        running_ = true;
        runStart_ = start;
        QueryPerformanceCounter(&runCounterStart_);
    }
    return hr;
}

STDMETHODIMP CaptureFilter::Pause()
{
    CAutoLock filterHold(&lock_);
    {
        std::lock_guard<std::mutex> hold(runLock_);
        running_ = false;
        SetRunClock(nullptr);
    }
    if (m_State == State_Stopped)
        session_ = ++sessions;
    return CBaseFilter::Pause();
}

STDMETHODIMP CaptureFilter::Stop()
{
    bool streamed = false;
    {
        CAutoLock filterHold(&lock_);
        streamed = m_State != State_Stopped;
    }
    {
        std::lock_guard<std::mutex> hold(runLock_);
        running_ = false;
        SetRunClock(nullptr);
    }
    const HRESULT hr = CBaseFilter::Stop();
    // As a device that fails on the way down: the graph hears of it as an abort.
    if (streamed) {
        if (const uint32_t failure = SimulatedCard::Instance().Faults().abortOnStop)
            NotifyEvent(EC_ERRORABORT, static_cast<HRESULT>(failure), 0);
    }
    return hr;
}

void CaptureFilter::SetRunClock(IReferenceClock* clock)
{
    if (clock)
        clock->AddRef();
    if (runClock_)
        runClock_->Release();
    runClock_ = clock;
}

STDMETHODIMP CaptureFilter::GetState(DWORD timeout, FILTER_STATE* state)
{
    const HRESULT hr = CBaseFilter::GetState(timeout, state);
    return SUCCEEDED(hr) && state && *state == State_Paused ? VFW_S_CANT_CUE : hr;
}

bool CaptureFilter::RunningStreamTime(REFERENCE_TIME& now)
{
    IReferenceClock* clock = nullptr;
    REFERENCE_TIME start = 0;
    LARGE_INTEGER counterStart{};
    {
        std::lock_guard<std::mutex> hold(runLock_);
        if (!running_)
            return false;
        start = runStart_;
        counterStart = runCounterStart_;
        clock = runClock_;
        if (clock)
            clock->AddRef();
    }
    if (clock) {
        REFERENCE_TIME time = 0;
        const HRESULT hr = clock->GetTime(&time);
        clock->Release();
        now = time - start;
        return SUCCEEDED(hr);
    }
    LARGE_INTEGER counter{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    now = (counter.QuadPart - counterStart.QuadPart) * 10000000 / frequency.QuadPart;
    return true;
}

STDMETHODIMP CaptureFilter::get_AvailableTVFormats(long* formats)
{
    CheckPointer(formats, E_POINTER);
    *formats = kAvailableTvFormats;
    return S_OK;
}

STDMETHODIMP CaptureFilter::put_TVFormat(long format)
{
    if ((format & kAvailableTvFormats) == 0 || (format & (format - 1)) != 0)
        return E_INVALIDARG;
    SimulatedCard::Instance().SetTvFormat(format);
    return S_OK;
}

STDMETHODIMP CaptureFilter::get_TVFormat(long* format)
{
    CheckPointer(format, E_POINTER);
    *format = SimulatedCard::Instance().TvFormat();
    return S_OK;
}

STDMETHODIMP CaptureFilter::get_HorizontalLocked(long* locked)
{
    CheckPointer(locked, E_POINTER);
    *locked = DecoderReadingOf(SimulatedCard::Instance().CurrentInput()).horizontalLocked;
    return S_OK;
}

STDMETHODIMP CaptureFilter::put_VCRHorizontalLocking(long locking)
{
    vcrLocking_ = locking;
    return S_OK;
}

STDMETHODIMP CaptureFilter::get_VCRHorizontalLocking(long* locking)
{
    CheckPointer(locking, E_POINTER);
    *locking = vcrLocking_;
    return S_OK;
}

STDMETHODIMP CaptureFilter::get_NumberOfLines(long* lines)
{
    CheckPointer(lines, E_POINTER);
    *lines = DecoderReadingOf(SimulatedCard::Instance().CurrentInput()).numberOfLines;
    return S_OK;
}

STDMETHODIMP CaptureFilter::put_OutputEnable(long enable)
{
    outputEnable_ = enable;
    return S_OK;
}

STDMETHODIMP CaptureFilter::get_OutputEnable(long* enable)
{
    CheckPointer(enable, E_POINTER);
    *enable = outputEnable_;
    return S_OK;
}

}  // namespace cardsim
