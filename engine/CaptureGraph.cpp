#include "CaptureGraph.h"

#include "CardDecoder.h"
#include "DeviceDiscovery.h"
#include "DeviceLists.h"
#include "GraphDiagnostics.h"
#include "GraphEdit.h"
#include "PreviewGraphBuilder.h"
#include "RecordGraphBuilder.h"
#include "RecordingStatistics.h"
#include "SignalDetectionWindow.h"

#include <algorithm>
#include <ctime>

using Microsoft::WRL::ComPtr;

namespace {

// The card's crossbar in the crossbar category.
constexpr wchar_t kCrossbarMoniker[] =
    L"@device:sw:{A799A801-A46D-11D0-A18C-00A02401DCD4}\\{F0C5FDC9-D592-463A-A302-4769B17A4047}";
constexpr DWORD kDetectionPeriodMs = 100;
constexpr long kMuted = -10000;
constexpr int kMaxCardConfigWaitMs = 1000;
constexpr EXECUTION_STATE kKeepAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;

}  // namespace

CCaptureGraph::CCaptureGraph()
    : videoCallback_(std::make_unique<CVideoCaptureSampleGrabberCB>()),
      audioCallback_(std::make_unique<CAudioCaptureSampleGrabberCB>()),
      imageCallback_(std::make_unique<CVideoImageSampleGrabberCB>()),
      stillFrames_(std::make_unique<StillFrameStore>()),
      cardI2C_(std::make_unique<CardI2C>())
{
    OpenCardI2C(*cardI2C_);
}

CCaptureGraph::~CCaptureGraph()
{
    crossbar_.reset();
    loadThread_.Stop();
    // Stops the graph, detaches the callbacks and empties the graph downstream of the card.
    TearDown();
    CloseReport();
    if (parts_.graph) {
        // The crossbar and the capture filter leave the graph too, so no references stay behind.
        std::vector<ComPtr<IBaseFilter>> remaining;
        ComPtr<IEnumFilters> filters;
        if (SUCCEEDED(parts_.graph->EnumFilters(&filters))) {
            ComPtr<IBaseFilter> filter;
            while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK)
                remaining.push_back(filter);
        }
        for (auto& filter : remaining)
            parts_.graph->RemoveFilter(filter.Get());
    }
    audioDevice_ = FilterEntry{};
    videoDevice_ = FilterEntry{};
    parts_.captureFilter.Reset();
    parts_.graph.Reset();
    parts_.builder.Reset();
}

void CCaptureGraph::Configure(const CaptureSetup& setup)
{
    setup_ = setup;
    placement_.SetView(setup_.viewWindow);
}

GraphContext CCaptureGraph::Context()
{
    return {parts_, setup_, report, placement_, *videoCallback_, *audioCallback_, *imageCallback_, *stillFrames_};
}

BuildSettings CCaptureGraph::Settings() const
{
    return {rendererKind, mute, aspectMode, signalFormat};
}

HRESULT CCaptureGraph::Open()
{
    if (state != engine::kNotOpened)
        return E_FAIL;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&parts_.graph));
    if (FAILED(hr))
        return hr;
    hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&parts_.builder));
    if (FAILED(hr))
        return hr;
    hr = parts_.builder->SetFiltergraph(parts_.graph.Get());
    if (FAILED(hr))
        return hr;

    hr = FindCardCaptureFilter(parts_.captureFilter.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return hr;
    videoDevice_.friendlyName = kCardDeviceName;
    audioDevice_.friendlyName = kCardDeviceName;

    FilterEntry crossbarEntry;
    crossbarEntry.displayName = kCrossbarMoniker;
    ComPtr<IBaseFilter> crossbar;
    if (SUCCEEDED(BindFilterByDisplayName(crossbarEntry.displayName, &crossbar)))
        parts_.graph->AddFilter(crossbar.Get(), L"Crossbar");

    hr = parts_.graph->AddFilter(parts_.captureFilter.Get(), L"Capture Filter");
    if (FAILED(hr))
        return hr;
    hr = BuildCrossbarPath(parts_.captureFilter.Get(), crossbar_);
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
    ResetDecoder(parts_.captureFilter.Get());
    state = engine::kIdle;
    return S_OK;
}

int CCaptureGraph::ReadInputFormat() const
{
    return ::ReadInputFormat(parts_.captureFilter.Get());
}

int CCaptureGraph::GetFormatInfo(engine::SignalFormat& row) const
{
    row = engine::SignalFormatRow(signalFormat);
    return signalFormat;
}

HRESULT CCaptureGraph::SelectAudioInput(int input)
{
    if (!crossbar_)
        return E_FAIL;
    return crossbar_->SelectAudioInput(input);
}

HRESULT CCaptureGraph::TearDown()
{
    if (parts_.mediaControl)
        parts_.mediaControl->Stop();
    parts_.mediaEvents.Reset();
    parts_.quality.Reset();
    parts_.mediaControl.Reset();
    parts_.mediaSeeking.Reset();
    parts_.multiplexer.Reset();
    parts_.audioRenderer.Reset();
    videoCallback_->Detach();
    audioCallback_->Detach();
    imageCallback_->Detach();
    parts_.videoRenderer.Reset();
    placement_.Release(aspectMode);
    if (parts_.graph && parts_.captureFilter)
        RemoveDownstream(parts_.graph.Get(), parts_.captureFilter.Get());
    RevokeGraph(rotCookie_);
    if (state != engine::kNotOpened)
        state = engine::kIdle;
    return S_OK;
}

HRESULT CCaptureGraph::BuildDetectionGraph()
{
    TearDown();
    if (!parts_.captureFilter)
        return E_FAIL;
    ComPtr<IBaseFilter> nullRenderer;
    HRESULT hr = parts_.AddFilter(CLSID_NullRenderer, L"Null Renderer", &nullRenderer);
    if (FAILED(hr))
        return hr;
    hr = parts_.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, parts_.captureFilter.Get(), nullptr,
                                      nullRenderer.Get());
    if (FAILED(hr))
        return hr;
    hr = InsertSampleGrabber(parts_.builder.Get(), parts_.captureFilter.Get(), PIN_CATEGORY_PREVIEW, MEDIATYPE_Video,
                             videoCallback_.get(), L"Video Sample Grabber");
    if (FAILED(hr))
        return hr;
    hr = parts_.graph.As(&parts_.mediaControl);
    if (FAILED(hr))
        return hr;
    parts_.graph.As(&parts_.mediaSeeking);
    RegisterBuiltGraph();
    state = engine::kDetectionBuilt;
    return S_OK;
}

HRESULT CCaptureGraph::DetectSignal()
{
    if (!parts_.builder)
        return E_FAIL;
    HRESULT hr = BuildDetectionGraph();
    if (FAILED(hr))
        return hr;
    if (!parts_.mediaSeeking) {
        TearDown();
        return E_FAIL;
    }
    ResetDecoder(parts_.captureFilter.Get());
    state = engine::kDetecting;
    hr = parts_.mediaControl->Run();
    if (FAILED(hr)) {
        parts_.mediaControl->Stop();
        TearDown();
        return hr;
    }
    // The format that passed the periods, not what the decoder says after the stop.
    const int detected = WaitForSignal();
    parts_.mediaControl->Stop();
    TearDown();
    if (detected != engine::kNoSignal) {
        signalFormat = detected;
        signalDetected = 1;
        ApplyFormatToPins(signalFormat);
    }
    cancelDetection = 0;
    return detected != engine::kNoSignal ? S_OK : S_FALSE;
}

// Pumps the thread's messages while counting steady 100 ms periods of video.
// The periods follow the clock, so a stream of messages cannot hold them off.
int CCaptureGraph::WaitForSignal()
{
    cancelDetection = 0;
    engine::SignalDetectionWindow window;
    window.Start(ReadInputFormat(), videoCallback_->SampleCount());
    HANDLE never = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    int detected = engine::kNoSignal;
    bool done = false;
    DWORD periodStart = GetTickCount();
    while (!done) {
        const DWORD elapsed = GetTickCount() - periodStart;
        const DWORD timeout = elapsed >= kDetectionPeriodMs ? 0 : kDetectionPeriodMs - elapsed;
        const DWORD woke = MsgWaitForMultipleObjects(1, &never, FALSE, timeout, QS_ALLINPUT);
        if (woke == WAIT_TIMEOUT) {
            periodStart = GetTickCount();
            const int current = ReadInputFormat();
            if (window.EndPeriod(current, videoCallback_->SampleCount()))
                detected = current;
            done = detected != engine::kNoSignal || cancelDetection;
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
    return detected;
}

HRESULT CCaptureGraph::BuildPreview(int format)
{
    if (state != engine::kIdle)
        TearDown();
    if (!parts_.captureFilter)
        return E_FAIL;
    BuildOutcome outcome;
    const HRESULT hr = PreviewGraphBuilder(Context()).Build(Settings(), format, outcome);
    useInfTee = outcome.useInfTee;
    if (FAILED(hr))
        return hr;
    RegisterBuiltGraph();
    ApplyPriorityClass(outcome.priorityClass);
    state = engine::kPreviewBuilt;
    return S_OK;
}

HRESULT CCaptureGraph::RunPreview()
{
    if (!parts_.builder || !parts_.mediaControl || state != engine::kPreviewBuilt)
        return E_FAIL;
    const HRESULT hr = parts_.mediaControl->Run();
    if (FAILED(hr)) {
        parts_.mediaControl->Stop();
        return hr;
    }
    FitWindow(false);
    ApplyCardConfigIfAsked();
    state = engine::kPreviewing;
    SetThreadExecutionState(kKeepAwake);
    return S_OK;
}

HRESULT CCaptureGraph::StopPreview()
{
    if (state != engine::kPreviewing || !parts_.mediaControl)
        return E_FAIL;
    parts_.mediaControl->Stop();
    RestorePriorityClass();
    return TearDown();
}

HRESULT CCaptureGraph::BuildRecord(int resumeFlag, const std::wstring& fileName)
{
    resumePreview = resumeFlag;
    loadThreadWasRunning = loadThread_.IsRunning() ? 1 : 0;
    if (state != engine::kIdle)
        TearDown();
    useInfTee = 0;
    if (!parts_.captureFilter)
        return E_FAIL;
    report.videoCaptureDevice = videoDevice_.friendlyName;
    report.audioCaptureDevice = audioDevice_.friendlyName;
    RecordOutcome outcome;
    const HRESULT hr = RecordGraphBuilder(Context()).Build(Settings(), fileName, outcome);
    useInfTee = outcome.preview.useInfTee;
    if (FAILED(hr))
        return hr;
    RegisterBuiltGraph();
    ApplyPriorityClass(outcome.priorityClass);
    if (outcome.runLoadThread)
        loadThread_.Start();
    state = engine::kRecordBuilt;
    return S_OK;
}

HRESULT CCaptureGraph::RunRecord()
{
    if (state != engine::kRecordBuilt || !parts_.mediaControl)
        return E_FAIL;
    const HRESULT hr = parts_.mediaControl->Run();
    if (FAILED(hr)) {
        parts_.mediaControl->Stop();
        return hr;
    }
    report.startTime = static_cast<int64_t>(std::time(nullptr));
    recordingEnd_ = {};
    ApplyCardConfigIfAsked();
    state = engine::kRecording;
    SetThreadExecutionState(kKeepAwake);
    return S_OK;
}

HRESULT CCaptureGraph::StopRecord()
{
    if (state != engine::kRecording || !parts_.mediaControl)
        return E_FAIL;
    report.endTime = static_cast<int64_t>(std::time(nullptr));
    parts_.mediaControl->Stop();
    if (report.file)
        CollectStatistics();
    TearDown();
    if (!loadThreadWasRunning)
        loadThread_.Stop();
    RestorePriorityClass();
    return S_OK;
}

void CCaptureGraph::ApplyCardConfigIfAsked()
{
    if (setup_.cardFolder.empty() || setup_.cardConfigFile.empty() || !setup_.applyCardConfig)
        return;
    // The card settles on the new input before it takes the values.
    const int wait = std::clamp(setup_.cardConfigWait, 0, kMaxCardConfigWaitMs);
    if (wait > 0)
        Sleep(static_cast<DWORD>(wait));
    ApplyCardConfig(cardI2C_.get(), signalFormat, setup_.cardConfigFile);
}

void CCaptureGraph::RegisterBuiltGraph()
{
    if (registerInRot)
        RegisterGraph(parts_.graph.Get(), rotCookie_);
}

void CCaptureGraph::CollectStatistics()
{
    ::CollectStatistics(*videoCallback_, *audioCallback_, signalFormat, report);
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
    if (state != engine::kPreviewing)
        return S_OK;
    if (!parts_.mediaControl)
        return E_FAIL;
    const int current = ReadInputFormat();
    if (current == signalFormat)
        return S_OK;
    parts_.mediaControl->Stop();
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
    if (state != engine::kPreviewing)
        return S_OK;
    parts_.mediaControl->Stop();
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
    if (state == engine::kNotOpened || state == engine::kIdle || !parts_.graph)
        return S_OK;
    ComPtr<IBasicAudio> audio;
    HRESULT hr = parts_.graph.As(&audio);
    if (FAILED(hr))
        return hr;
    return audio->put_Volume(mute ? kMuted : 0);
}

bool CCaptureGraph::EndsRecording(long code) const
{
    return state == engine::kRecording && (code == EC_ERRORABORT || code == kEventFilesFull);
}

// Trelvox has stopped writing: the recording ends as by the stop command.
void CCaptureGraph::StopRecordingAfter(long code, LONG_PTR param)
{
    recordingEnd_ = {code, param};
    StopRecord();
}

HRESULT CCaptureGraph::HandleGraphEvents()
{
    long ended = 0;
    LONG_PTR endParam = 0;
    long code = 0;
    LONG_PTR first = 0, second = 0;
    while (parts_.mediaEvents && SUCCEEDED(parts_.mediaEvents->GetEvent(&code, &first, &second, 0))) {
        if (code == EC_FULLSCREEN_LOST && parts_.videoWindow)
            placement_.LeaveFullScreen(aspectMode);
        if (!ended && EndsRecording(code)) {
            ended = code;
            endParam = first;
        }
        parts_.mediaEvents->FreeEventParams(code, first, second);
    }
    // Stopped after the drain: the tear-down releases the event interface.
    if (!ended)
        return S_OK;
    StopRecordingAfter(ended, endParam);
    return S_FALSE;
}

bool CCaptureGraph::GetRendererQuality(int figures[6])
{
    if (!parts_.builder || !parts_.captureFilter || !parts_.quality ||
        (state != engine::kPreviewing && state != engine::kRecording))
        return false;
    IQualProp* quality = parts_.quality.Get();
    int value = 0;
    figures[0] = SUCCEEDED(quality->get_AvgFrameRate(&value)) ? value : -1;
    figures[1] = SUCCEEDED(quality->get_AvgSyncOffset(&value)) ? value : -1;
    figures[2] = SUCCEEDED(quality->get_DevSyncOffset(&value)) ? value : -1;
    figures[3] = SUCCEEDED(quality->get_FramesDrawn(&value)) ? value : -1;
    figures[4] = SUCCEEDED(quality->get_FramesDroppedInRenderer(&value)) ? value : -1;
    figures[5] = SUCCEEDED(quality->get_Jitter(&value)) ? value : -1;
    return true;
}

HRESULT CCaptureGraph::GetPosition(GUID& timeFormat, LONGLONG& position)
{
    if (!parts_.builder || !parts_.captureFilter || !parts_.mediaSeeking ||
        (state != engine::kPreviewing && state != engine::kRecording))
        return E_FAIL;
    parts_.mediaSeeking->GetTimeFormat(&timeFormat);
    parts_.mediaSeeking->GetCurrentPosition(&position);
    return S_OK;
}

HRESULT CCaptureGraph::ApplyFormatToPins(int format)
{
    return ::ApplyFormatToPins(parts_.builder.Get(), parts_.captureFilter.Get(), format);
}

HRESULT CCaptureGraph::ArmStillImage()
{
    const bool running =
        state == engine::kPreviewing || (state == engine::kRecording && parts_.videoRenderer);
    if (!running || !imageCallback_->GetGrabber())
        return E_FAIL;
    imageCallback_->Arm();
    return S_OK;
}

void CCaptureGraph::PlaceVideo()
{
    placement_.Place(aspectMode);
}

void CCaptureGraph::FitWindow(bool force)
{
    placement_.Fit(force, aspectMode, scaleMode, resizing);
}

bool CCaptureGraph::ConstrainSizing(int edge, SIZE& area)
{
    return placement_.Constrain(edge, aspectMode, area);
}

bool CCaptureGraph::GetVideoBoxSize(SIZE& size)
{
    return placement_.VideoBoxSize(aspectMode, scaleMode, size);
}

void CCaptureGraph::SetAspectMode(int mode)
{
    aspectMode = mode;
    if (!IsFullScreen())
        FitWindow(false);
    PlaceVideo();
}

void CCaptureGraph::SetScaleMode(int mode)
{
    const bool changed = mode != scaleMode;
    scaleMode = mode;
    if (changed && mode != 0)
        FitWindow(false);
}

HRESULT CCaptureGraph::SetFullScreen(bool on)
{
    return placement_.SetFullScreen(on, aspectMode);
}

bool CCaptureGraph::IsFullScreen()
{
    return placement_.IsFullScreen();
}
