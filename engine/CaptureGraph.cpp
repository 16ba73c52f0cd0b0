#include "CaptureGraph.h"

#include "CardConfigWrites.h"
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
    load_.StopLoadThread();
    // Stops the graph, detaches the callbacks and empties the graph downstream of the card.
    TearDown();
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
    return {parts_,          setup_,          report_.Block(), placement_,
            *videoCallback_, *audioCallback_, *imageCallback_, *stillFrames_};
}

BuildSettings CCaptureGraph::Settings() const
{
    return {rendererKind_, mute_, aspectMode_, signalFormat_};
}

HRESULT CCaptureGraph::Open()
{
    if (state_ != engine::kNotOpened)
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
    crossbar_->SelectAudioInput(audioInput_);
    ResetDecoder(parts_.captureFilter.Get());
    state_ = engine::kIdle;
    return S_OK;
}

int CCaptureGraph::ReadInputFormat() const
{
    return ::ReadInputFormat(parts_.captureFilter.Get());
}

int CCaptureGraph::GetFormatInfo(engine::SignalFormat& row) const
{
    row = engine::SignalFormatRow(signalFormat_);
    return signalFormat_;
}

HRESULT CCaptureGraph::SelectAudioInput(int input)
{
    if (crossbar_) {
        const HRESULT hr = crossbar_->SelectAudioInput(input);
        if (FAILED(hr))
            return hr;
    }
    audioInput_ = input;
    return S_OK;
}

HRESULT CCaptureGraph::TearDown()
{
    const bool recordGraph = state_ == engine::kRecordBuilt || state_ == engine::kRecording;
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
    placement_.Release(aspectMode_);
    if (parts_.graph && parts_.captureFilter)
        RemoveAllButUpstreamOf(parts_.graph.Get(), parts_.captureFilter.Get());
    RevokeGraph(rotCookie_);
    load_.Release(recordGraph);
    if (state_ != engine::kNotOpened)
        state_ = engine::kIdle;
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
    state_ = engine::kDetectionBuilt;
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
    state_ = engine::kDetecting;
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
    if (state_ != engine::kDetecting)
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
    if (state_ != engine::kDetecting)
        return E_FAIL;
    // The format that passed the periods, not what the decoder says after the stop.
    const int detected = detectedFormat_;
    detectedFormat_ = engine::kNoSignal;
    TearDown();
    if (detected == engine::kNoSignal)
        return S_FALSE;
    signalFormat_ = detected;
    signalDetected_ = true;
    ApplyFormatToPins(signalFormat_);
    return S_OK;
}

HRESULT CCaptureGraph::BuildPreview(int format)
{
    if (state_ != engine::kIdle)
        TearDown();
    if (!parts_.captureFilter)
        return E_FAIL;
    BuildOutcome outcome;
    const HRESULT hr = PreviewGraphBuilder(Context()).Build(Settings(), format, outcome);
    useInfTee_ = outcome.useInfTee != 0;
    if (FAILED(hr))
        return hr;
    RegisterBuiltGraph();
    load_.RaisePriority(outcome.priorityClass);
    state_ = engine::kPreviewBuilt;
    return S_OK;
}

HRESULT CCaptureGraph::RunPreview()
{
    if (!parts_.builder || !parts_.mediaControl || state_ != engine::kPreviewBuilt)
        return E_FAIL;
    const HRESULT hr = parts_.mediaControl->Run();
    if (FAILED(hr)) {
        parts_.mediaControl->Stop();
        StopEveryFilter(parts_.graph.Get());
        return hr;
    }
    FitWindow(false);
    ApplyCardConfigIfAsked();
    state_ = engine::kPreviewing;
    SetThreadExecutionState(kKeepAwake);
    return S_OK;
}

HRESULT CCaptureGraph::StopPreview()
{
    if (state_ != engine::kPreviewing || !parts_.mediaControl)
        return E_FAIL;
    return TearDown();
}

HRESULT CCaptureGraph::BuildRecord(int resumeFlag, const std::wstring& fileName)
{
    if (state_ != engine::kIdle)
        TearDown();
    load_.NoteLoadThreadBeforeRecording();
    useInfTee_ = false;
    // A recording that is not built has no preview to resume at its stop.
    resumePreview_ = false;
    if (!parts_.captureFilter)
        return E_FAIL;
    report_.Block().videoCaptureDevice = videoDevice_.friendlyName;
    report_.Block().audioCaptureDevice = audioDevice_.friendlyName;
    RecordOutcome outcome;
    const HRESULT hr = RecordGraphBuilder(Context()).Build(Settings(), fileName, outcome);
    useInfTee_ = outcome.preview.useInfTee != 0;
    if (FAILED(hr))
        return hr;
    RegisterBuiltGraph();
    load_.RaisePriority(outcome.priorityClass);
    if (outcome.runLoadThread)
        load_.StartLoadThread();
    resumePreview_ = resumeFlag != 0;
    state_ = engine::kRecordBuilt;
    return S_OK;
}

HRESULT CCaptureGraph::RunRecord()
{
    if (state_ != engine::kRecordBuilt || !parts_.mediaControl)
        return E_FAIL;
    // An abort left from an earlier graph must not end this recording.
    DrainGraphEvents();
    const HRESULT hr = parts_.mediaControl->Run();
    if (FAILED(hr)) {
        parts_.mediaControl->Stop();
        StopEveryFilter(parts_.graph.Get());
        resumePreview_ = false;
        return hr;
    }
    report_.Block().startTime = static_cast<int64_t>(std::time(nullptr));
    recordingEnd_ = {};
    ApplyCardConfigIfAsked();
    state_ = engine::kRecording;
    SetThreadExecutionState(kKeepAwake);
    return S_OK;
}

HRESULT CCaptureGraph::StopRecord()
{
    if (state_ != engine::kRecording || !parts_.mediaControl)
        return E_FAIL;
    report_.Block().endTime = static_cast<int64_t>(std::time(nullptr));
    parts_.mediaControl->Stop();
    // Trelvox may fail while it finishes the files; that is told like an abort while recording.
    const RecordingEndEvent end = DrainGraphEvents();
    if (!recordingEnd_.code)
        recordingEnd_ = end;
    if (report_.IsOpen())
        CollectStatistics();
    return TearDown();
}

bool CCaptureGraph::TakePreviewResume()
{
    const bool resume = resumePreview_;
    resumePreview_ = false;
    return resume;
}

void CCaptureGraph::ApplyCardConfigIfAsked()
{
    if (setup_.cardFolder.empty() || setup_.cardConfigFile.empty() || !setup_.applyCardConfig)
        return;
    // The card settles on the new input before it takes the values.
    const int wait = std::clamp(setup_.cardConfigWait, 0, engine::kMaxCardConfigWaitMs);
    if (wait > 0)
        Sleep(static_cast<DWORD>(wait));
    ApplyCardConfig(cardI2C_.get(), signalFormat_, setup_.cardConfigFile);
}

void CCaptureGraph::RegisterBuiltGraph()
{
    if (setup_.registerInRot)
        RegisterGraph(parts_.graph.Get(), rotCookie_);
}

void CCaptureGraph::CollectStatistics()
{
    ::CollectStatistics(*videoCallback_, *audioCallback_, signalFormat_, report_.Block());
}

HRESULT CCaptureGraph::CheckSignalChange()
{
    if (state_ != engine::kPreviewing)
        return S_OK;
    if (!parts_.mediaControl)
        return E_FAIL;
    if (ReadInputFormat() == signalFormat_)
        return S_OK;
    TearDown();
    return S_FALSE;
}

HRESULT CCaptureGraph::SetRendererKind(engine::VideoRendererKind kind)
{
    if (kind == rendererKind_)
        return S_OK;
    rendererKind_ = kind;
    if (state_ != engine::kPreviewing)
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
    if (flag == mute_)
        return S_OK;
    mute_ = flag;
    if (state_ == engine::kNotOpened || state_ == engine::kIdle || !parts_.graph)
        return S_OK;
    ComPtr<IBasicAudio> audio;
    HRESULT hr = parts_.graph.As(&audio);
    if (FAILED(hr))
        return hr;
    return audio->put_Volume(mute_ ? kMuted : 0);
}

RecordingEndEvent CCaptureGraph::DrainGraphEvents()
{
    RecordingEndEvent end;
    long code = 0;
    LONG_PTR first = 0, second = 0;
    while (parts_.mediaEvents && SUCCEEDED(parts_.mediaEvents->GetEvent(&code, &first, &second, 0))) {
        if (code == EC_FULLSCREEN_LOST && parts_.videoWindow)
            placement_.LeaveFullScreen(aspectMode_);
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
    if (!end.code || state_ != engine::kRecording)
        return S_OK;
    recordingEnd_ = end;
    StopRecord();
    return S_FALSE;
}

bool CCaptureGraph::GetRendererQuality(engine::RendererQuality& quality)
{
    if (!parts_.builder || !parts_.captureFilter || !parts_.quality ||
        (state_ != engine::kPreviewing && state_ != engine::kRecording))
        return false;
    IQualProp* source = parts_.quality.Get();
    const auto figure = [](HRESULT hr, int value) { return SUCCEEDED(hr) ? value : -1; };
    int value = 0;
    quality.averageFrameRate = figure(source->get_AvgFrameRate(&value), value);
    quality.averageSyncOffset = figure(source->get_AvgSyncOffset(&value), value);
    quality.syncOffsetDeviation = figure(source->get_DevSyncOffset(&value), value);
    quality.framesDrawn = figure(source->get_FramesDrawn(&value), value);
    quality.framesDropped = figure(source->get_FramesDroppedInRenderer(&value), value);
    quality.jitter = figure(source->get_Jitter(&value), value);
    return true;
}

engine::StreamCounters CCaptureGraph::VideoCounters() const
{
    return videoCallback_->Counters();
}

HRESULT CCaptureGraph::GetPosition(GUID& timeFormat, LONGLONG& position)
{
    if (!parts_.builder || !parts_.captureFilter || !parts_.mediaSeeking ||
        (state_ != engine::kPreviewing && state_ != engine::kRecording))
        return E_FAIL;
    parts_.mediaSeeking->GetTimeFormat(&timeFormat);
    parts_.mediaSeeking->GetCurrentPosition(&position);
    return S_OK;
}

HRESULT CCaptureGraph::ApplyFormatToPins(int format)
{
    return ::ApplyFormatToPins(parts_.builder.Get(), parts_.captureFilter.Get(), format);
}

HRESULT CCaptureGraph::OpenReport(const std::wstring& reportPath, const std::wstring& recordingPath)
{
    return report_.Open(reportPath, recordingPath);
}

HRESULT CCaptureGraph::WriteReportBody()
{
    return report_.WriteBody();
}

HRESULT CCaptureGraph::WriteReportFailure(const std::wstring& message)
{
    return report_.WriteFailure(message);
}

HRESULT CCaptureGraph::CloseReport()
{
    return report_.Close();
}

HRESULT CCaptureGraph::ShowPages(GraphPart part, HWND owner)
{
    return ShowGraphPartPages(parts_, part, owner);
}

HRESULT CCaptureGraph::ArmStillImage()
{
    const bool running = state_ == engine::kPreviewing || (state_ == engine::kRecording && parts_.videoRenderer);
    if (!running || !imageCallback_->GetGrabber())
        return E_FAIL;
    imageCallback_->Arm();
    return S_OK;
}

void CCaptureGraph::PlaceVideo()
{
    placement_.Place(aspectMode_);
}

void CCaptureGraph::FitWindow(bool force)
{
    placement_.Fit(force, aspectMode_, scaleMode_, resizing_);
}

bool CCaptureGraph::ConstrainSizing(int edge, SIZE& area)
{
    return placement_.Constrain(edge, aspectMode_, area);
}

bool CCaptureGraph::GetVideoBoxSize(SIZE& size)
{
    return placement_.VideoBoxSize(aspectMode_, scaleMode_, size);
}

void CCaptureGraph::SetAspectMode(int mode)
{
    aspectMode_ = mode;
    if (!IsFullScreen())
        FitWindow(false);
    PlaceVideo();
}

void CCaptureGraph::SetScaleMode(int mode)
{
    const bool changed = mode != scaleMode_;
    scaleMode_ = mode;
    if (changed && mode != 0)
        FitWindow(false);
}

HRESULT CCaptureGraph::SetFullScreen(bool on)
{
    return placement_.SetFullScreen(on, aspectMode_);
}

bool CCaptureGraph::IsFullScreen()
{
    return placement_.IsFullScreen();
}
