#include "CaptureGraph.h"

#include "CardDecoder.h"
#include "DeviceDiscovery.h"
#include "DeviceLists.h"
#include "GraphEdit.h"
#include "SignalDetectionWindow.h"
#include "SignalFormat.h"

#include <ctime>

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kCardNotFound[] = L"Zelvan キャプチャーデバイスが見つかりません。";
// The card's crossbar in the crossbar category.
constexpr wchar_t kCrossbarMoniker[] =
    L"@device:sw:{A799A801-A46D-11D0-A18C-00A02401DCD4}\\{F0C5FDC9-D592-463A-A302-4769B17A4047}";
constexpr DWORD kDetectionPeriodMs = 100;
constexpr long kMuted = -10000;

}  // namespace

CCaptureGraph::CCaptureGraph()
    : videoCallback_(std::make_unique<CVideoCaptureSampleGrabberCB>()),
      audioCallback_(std::make_unique<CAudioCaptureSampleGrabberCB>()),
      imageCallback_(std::make_unique<CVideoImageSampleGrabberCB>()),
      stillFrames_(std::make_unique<StillFrameStore>())
{
}

CCaptureGraph::~CCaptureGraph()
{
    crossbar_.reset();
    loadThread_.Stop();
    // Stops the graph, detaches the callbacks and empties the graph downstream of the card.
    TearDown();
    if (graph_) {
        // The crossbar and the capture filter leave the graph too, so no references stay behind.
        std::vector<ComPtr<IBaseFilter>> remaining;
        ComPtr<IEnumFilters> filters;
        if (SUCCEEDED(graph_->EnumFilters(&filters))) {
            ComPtr<IBaseFilter> filter;
            while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK)
                remaining.push_back(filter);
        }
        for (auto& filter : remaining)
            graph_->RemoveFilter(filter.Get());
    }
    audioDevice_ = FilterEntry{};
    videoDevice_ = FilterEntry{};
    captureFilter_.Reset();
    graph_.Reset();
    builder_.Reset();
}

HRESULT CCaptureGraph::AddFilter(const CLSID& clsid, const wchar_t* name, IBaseFilter** filter)
{
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    if (FAILED(hr))
        return hr;
    hr = graph_->AddFilter(*filter, name);
    if (FAILED(hr)) {
        (*filter)->Release();
        *filter = nullptr;
    }
    return hr;
}

HRESULT CCaptureGraph::Open()
{
    if (state != kNotOpened)
        return E_FAIL;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph_));
    if (FAILED(hr))
        return hr;
    hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&builder_));
    if (FAILED(hr))
        return hr;
    hr = builder_->SetFiltergraph(graph_.Get());
    if (FAILED(hr))
        return hr;

    hr = FindCardCaptureFilter(captureFilter_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        MessageBoxW(notifyWindow, kCardNotFound, nullptr, MB_ICONHAND);
        return hr;
    }
    videoDevice_.friendlyName = kCardDeviceName;
    audioDevice_.friendlyName = kCardDeviceName;

    FilterEntry crossbarEntry;
    crossbarEntry.displayName = kCrossbarMoniker;
    ComPtr<IBaseFilter> crossbar;
    if (SUCCEEDED(BindFilterByDisplayName(crossbarEntry.displayName, &crossbar)))
        graph_->AddFilter(crossbar.Get(), L"Crossbar");

    hr = graph_->AddFilter(captureFilter_.Get(), L"Capture Filter");
    if (FAILED(hr))
        return hr;
    hr = BuildCrossbarPath(captureFilter_.Get(), crossbar_);
    if (FAILED(hr))
        return hr;

    constexpr LONG kCompositeVideo = PhysConn_Video_Composite;
    for (int chain = 0; chain < crossbar_->GetChainCount(); ++chain) {
        LONG type = 0;
        if (SUCCEEDED(crossbar_->GetInputType(chain, &type)) && type == kCompositeVideo) {
            crossbar_->RouteChain(chain);
            break;
        }
    }
    crossbar_->SelectAudioInput(audioInput);
    ResetDecoder(captureFilter_.Get());
    state = kIdle;
    return S_OK;
}

int CCaptureGraph::ReadInputFormat() const
{
    return ::ReadInputFormat(captureFilter_.Get());
}

HRESULT CCaptureGraph::SelectAudioInput(int input)
{
    if (!crossbar_)
        return E_FAIL;
    return crossbar_->SelectAudioInput(input);
}

HRESULT CCaptureGraph::TearDown()
{
    if (mediaControl_)
        mediaControl_->Stop();
    mediaEvents_.Reset();
    quality_.Reset();
    mediaControl_.Reset();
    mediaSeeking_.Reset();
    multiplexer_.Reset();
    audioRenderer_.Reset();
    videoCallback_->Detach();
    audioCallback_->Detach();
    imageCallback_->Detach();
    videoRenderer_.Reset();
    if (videoWindow_) {
        if (IsFullScreen())
            LeaveFullScreen();
        videoWindow_->put_Owner(0);
        videoWindow_->put_Visible(OAFALSE);
        videoWindow_.Reset();
    }
    if (graph_ && captureFilter_)
        RemoveDownstream(graph_.Get(), captureFilter_.Get());
    if (state != kNotOpened)
        state = kIdle;
    return S_OK;
}

HRESULT CCaptureGraph::BuildDetectionGraph()
{
    TearDown();
    if (!captureFilter_)
        return E_FAIL;
    ComPtr<IBaseFilter> nullRenderer;
    HRESULT hr = AddFilter(CLSID_NullRenderer, L"Null Renderer", &nullRenderer);
    if (FAILED(hr))
        return hr;
    hr = builder_->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, captureFilter_.Get(), nullptr,
                                nullRenderer.Get());
    if (FAILED(hr))
        return hr;
    hr = InsertSampleGrabber(builder_.Get(), captureFilter_.Get(), PIN_CATEGORY_PREVIEW, MEDIATYPE_Video,
                             videoCallback_.get(), L"Video Sample Grabber");
    if (FAILED(hr))
        return hr;
    hr = graph_.As(&mediaControl_);
    if (FAILED(hr))
        return hr;
    graph_.As(&mediaSeeking_);
    state = kDetectionBuilt;
    return S_OK;
}

HRESULT CCaptureGraph::DetectSignal()
{
    if (!builder_)
        return E_FAIL;
    HRESULT hr = BuildDetectionGraph();
    if (FAILED(hr))
        return hr;
    if (!mediaSeeking_) {
        TearDown();
        return E_FAIL;
    }
    ResetDecoder(captureFilter_.Get());
    state = kDetecting;
    hr = mediaControl_->Run();
    if (FAILED(hr)) {
        mediaControl_->Stop();
        TearDown();
        return hr;
    }
    const HRESULT found = WaitForSignal();
    mediaControl_->Stop();
    TearDown();
    if (found == S_OK) {
        signalFormat = ReadInputFormat();
        signalDetected = 1;
        ApplyFormatToPins(signalFormat);
    }
    cancelDetection = 0;
    return found;
}

// Pumps the thread's messages while counting steady 100 ms periods of video.
// The periods follow the clock, so a stream of messages cannot hold them off.
HRESULT CCaptureGraph::WaitForSignal()
{
    cancelDetection = 0;
    engine::SignalDetectionWindow window;
    window.Start(ReadInputFormat(), videoCallback_->SampleCount());
    HANDLE never = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    bool found = false;
    bool done = false;
    DWORD periodStart = GetTickCount();
    while (!done) {
        const DWORD elapsed = GetTickCount() - periodStart;
        const DWORD timeout = elapsed >= kDetectionPeriodMs ? 0 : kDetectionPeriodMs - elapsed;
        const DWORD woke = MsgWaitForMultipleObjects(1, &never, FALSE, timeout, QS_ALLINPUT);
        if (woke == WAIT_TIMEOUT) {
            periodStart = GetTickCount();
            found = window.EndPeriod(ReadInputFormat(), videoCallback_->SampleCount());
            done = found || cancelDetection;
        } else if (woke == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (!cancelDetection && PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
                if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
                    // WM_QUIT: put it back for the main loop and give up the wait.
                    PostQuitMessage(static_cast<int>(message.wParam));
                    cancelDetection = 1;
                    break;
                }
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            done = cancelDetection;
        }
    }
    if (never)
        CloseHandle(never);
    return found ? S_OK : S_FALSE;
}

HRESULT CCaptureGraph::RunPreview()
{
    if (!builder_ || !mediaControl_ || state != kPreviewBuilt)
        return E_FAIL;
    const HRESULT hr = mediaControl_->Run();
    if (FAILED(hr)) {
        mediaControl_->Stop();
        return hr;
    }
    FitWindow(false);
    state = kPreviewing;
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    return S_OK;
}

HRESULT CCaptureGraph::StopPreview()
{
    if (state != kPreviewing || !mediaControl_)
        return E_FAIL;
    mediaControl_->Stop();
    RestorePriorityClass();
    return TearDown();
}

void CCaptureGraph::ApplyPriorityClass(DWORD priorityClass)
{
    if (priorityClass == 0) {
        savedPriorityClass = 0;
        return;
    }
    savedPriorityClass = GetPriorityClass(GetCurrentProcess());
    SetPriorityClass(GetCurrentProcess(), priorityClass);
}

void CCaptureGraph::RestorePriorityClass()
{
    if (savedPriorityClass != 0)
        SetPriorityClass(GetCurrentProcess(), savedPriorityClass);
}

HRESULT CCaptureGraph::CheckSignalChange()
{
    if (state != kPreviewing)
        return S_OK;
    if (!mediaControl_)
        return E_FAIL;
    const int current = ReadInputFormat();
    if (current == signalFormat)
        return S_OK;
    mediaControl_->Stop();
    RestorePriorityClass();
    TearDown();
    HRESULT hr = DetectSignal();
    if (FAILED(hr))
        return hr;
    if (hr == S_FALSE)
        return S_OK;
    hr = BuildPreview(signalFormat);
    if (SUCCEEDED(hr))
        hr = RunPreview();
    if (FAILED(hr)) {
        TearDown();
        return hr;
    }
    FitWindow(false);
    return S_OK;
}

HRESULT CCaptureGraph::SetRendererKind(int kind)
{
    if (kind == rendererKind)
        return S_OK;
    rendererKind = kind;
    if (state != kPreviewing)
        return S_OK;
    mediaControl_->Stop();
    RestorePriorityClass();
    TearDown();
    HRESULT hr = BuildPreview(-1);
    if (SUCCEEDED(hr))
        hr = RunPreview();
    if (FAILED(hr))
        TearDown();
    return hr;
}

HRESULT CCaptureGraph::SetMute(int flag)
{
    if (flag == mute)
        return S_OK;
    mute = flag;
    if (state == kNotOpened || state == kIdle || !graph_)
        return S_OK;
    ComPtr<IBasicAudio> audio;
    HRESULT hr = graph_.As(&audio);
    if (FAILED(hr))
        return hr;
    return audio->put_Volume(mute ? kMuted : 0);
}

HRESULT CCaptureGraph::HandleGraphEvents()
{
    if (!mediaEvents_)
        return S_OK;
    long code = 0;
    LONG_PTR first = 0, second = 0;
    while (mediaEvents_ && SUCCEEDED(mediaEvents_->GetEvent(&code, &first, &second, 0))) {
        if (code == EC_FULLSCREEN_LOST && videoWindow_)
            LeaveFullScreen();
        mediaEvents_->FreeEventParams(code, first, second);
    }
    return S_OK;
}

bool CCaptureGraph::GetRendererQuality(int figures[6])
{
    if (!builder_ || !captureFilter_ || !quality_ || (state != kPreviewing && state != kRecording))
        return false;
    int value = 0;
    figures[0] = SUCCEEDED(quality_->get_AvgFrameRate(&value)) ? value : -1;
    figures[1] = SUCCEEDED(quality_->get_AvgSyncOffset(&value)) ? value : -1;
    figures[2] = SUCCEEDED(quality_->get_DevSyncOffset(&value)) ? value : -1;
    figures[3] = SUCCEEDED(quality_->get_FramesDrawn(&value)) ? value : -1;
    figures[4] = SUCCEEDED(quality_->get_FramesDroppedInRenderer(&value)) ? value : -1;
    figures[5] = SUCCEEDED(quality_->get_Jitter(&value)) ? value : -1;
    return true;
}

HRESULT CCaptureGraph::GetPosition(GUID& timeFormat, LONGLONG& position)
{
    if (!builder_ || !captureFilter_ || !mediaSeeking_ || (state != kPreviewing && state != kRecording))
        return E_FAIL;
    mediaSeeking_->GetTimeFormat(&timeFormat);
    mediaSeeking_->GetCurrentPosition(&position);
    return S_OK;
}

HRESULT CCaptureGraph::ApplyFormatToPins(int format)
{
    return ::ApplyFormatToPins(builder_.Get(), captureFilter_.Get(), format);
}
