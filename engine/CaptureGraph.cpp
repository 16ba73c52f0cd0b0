#include "CaptureGraph.h"

#include "CardDecoder.h"
#include "DeviceDiscovery.h"
#include "DeviceLists.h"
#include "GraphDiagnostics.h"
#include "GraphEdit.h"
#include "PreviewGraphBuilder.h"
#include "RecordGraphBuilder.h"
#include "RecordingStatistics.h"

#include <algorithm>
#include <ctime>

using Microsoft::WRL::ComPtr;

namespace {

// The card's crossbar in the crossbar category.
constexpr wchar_t kCrossbarMoniker[] =
    L"@device:sw:{A799A801-A46D-11D0-A18C-00A02401DCD4}\\{F0C5FDC9-D592-463A-A302-4769B17A4047}";
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
    const bool recordGraph = state == engine::kRecordBuilt || state == engine::kRecording;
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
        RemoveAllButUpstreamOf(parts_.graph.Get(), parts_.captureFilter.Get());
    RevokeGraph(rotCookie_);
    if (recordGraph && !loadThreadWasRunning)
        loadThread_.Stop();
    RestorePriorityClass();
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

HRESULT CCaptureGraph::StartDetection()
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
        StopEveryFilter(parts_.graph.Get());
        TearDown();
        return hr;
    }
    detectedFormat_ = engine::kNoSignal;
    detection_.Start(ReadInputFormat(), videoCallback_->SampleCount());
    return S_OK;
}

engine::DetectionStep CCaptureGraph::PollDetection()
{
    if (state != engine::kDetecting)
        return engine::DetectionStep::kFailed;
    if (detectedFormat_ != engine::kNoSignal)
        return engine::DetectionStep::kStable;
    const int current = ReadInputFormat();
    if (!detection_.EndPeriod(current, videoCallback_->SampleCount()))
        return engine::DetectionStep::kNotYet;
    detectedFormat_ = current;
    return engine::DetectionStep::kStable;
}

HRESULT CCaptureGraph::FinishDetection()
{
    if (state != engine::kDetecting)
        return E_FAIL;
    // The format that passed the periods, not what the decoder says after the stop.
    const int detected = detectedFormat_;
    detectedFormat_ = engine::kNoSignal;
    TearDown();
    if (detected == engine::kNoSignal)
        return S_FALSE;
    signalFormat = detected;
    signalDetected = 1;
    ApplyFormatToPins(signalFormat);
    return S_OK;
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
        StopEveryFilter(parts_.graph.Get());
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
    return TearDown();
}

HRESULT CCaptureGraph::BuildRecord(int resumeFlag, const std::wstring& fileName)
{
    resumePreview = resumeFlag;
    if (state != engine::kIdle)
        TearDown();
    loadThreadWasRunning = loadThread_.IsRunning() ? 1 : 0;
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
    // An abort left from an earlier graph must not end this recording.
    DrainGraphEvents();
    const HRESULT hr = parts_.mediaControl->Run();
    if (FAILED(hr)) {
        parts_.mediaControl->Stop();
        StopEveryFilter(parts_.graph.Get());
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
    // Trelvox may fail while it finishes the files; that is told like an abort while recording.
    const RecordingEndEvent end = DrainGraphEvents();
    if (!recordingEnd_.code)
        recordingEnd_ = end;
    if (report.file)
        CollectStatistics();
    return TearDown();
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
    savedPriorityClass = 0;
}

HRESULT CCaptureGraph::CheckSignalChange()
{
    if (state != engine::kPreviewing)
        return S_OK;
    if (!parts_.mediaControl)
        return E_FAIL;
    if (ReadInputFormat() == signalFormat)
        return S_OK;
    TearDown();
    return S_FALSE;
}

HRESULT CCaptureGraph::SetRendererKind(engine::VideoRendererKind kind)
{
    if (kind == rendererKind)
        return S_OK;
    rendererKind = kind;
    if (state != engine::kPreviewing)
        return S_OK;
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

RecordingEndEvent CCaptureGraph::DrainGraphEvents()
{
    RecordingEndEvent end;
    long code = 0;
    LONG_PTR first = 0, second = 0;
    while (parts_.mediaEvents && SUCCEEDED(parts_.mediaEvents->GetEvent(&code, &first, &second, 0))) {
        if (code == EC_FULLSCREEN_LOST && parts_.videoWindow)
            placement_.LeaveFullScreen(aspectMode);
        if (!end.code && (code == EC_ERRORABORT || code == kEventFilesFull))
            end = {code, first};
        parts_.mediaEvents->FreeEventParams(code, first, second);
    }
    return end;
}

// Trelvox has stopped writing: the recording ends as by the stop command.
HRESULT CCaptureGraph::HandleGraphEvents()
{
    const RecordingEndEvent end = DrainGraphEvents();
    if (!end.code || state != engine::kRecording)
        return S_OK;
    recordingEnd_ = end;
    StopRecord();
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
    const bool running = state == engine::kPreviewing || (state == engine::kRecording && parts_.videoRenderer);
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
