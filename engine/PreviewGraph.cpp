// The preview graph: the renderer of the chosen kind, the optional preview
// filters or the YUV transform, the audio preview, the still-image grabber.
#include "CaptureGraph.h"

#include "GraphEdit.h"
#include "RendererInterfaces.h"
#include "PinQueries.h"
#include "SignalFormat.h"

#include "../profiles/CurrentProfiles.h"


using Microsoft::WRL::ComPtr;

namespace {

// {B179A682-641B-11D2-A4D9-0060080BA634}
const CLSID kClsidYuvTransform = {0xB179A682, 0x641B, 0x11D2, {0xA4, 0xD9, 0x00, 0x60, 0x08, 0x0B, 0xA6, 0x34}};

constexpr int kTrialPolls = 50;
constexpr DWORD kTrialPollMs = 100;

struct RendererKind {
    const CLSID* clsid;
    const wchar_t* reportName;
};

bool RendererOfKind(int kind, RendererKind& renderer)
{
    switch (kind) {
    case 1:
        renderer = {&CLSID_VideoRenderer, L"Overlay Mixer"};
        return true;
    case 2:
        renderer = {&CLSID_VideoMixingRenderer, L"Video Mixing Renderer 7"};
        return true;
    case 3:
        renderer = {&CLSID_VideoMixingRenderer9, L"Video Mixing Renderer 9"};
        return true;
    }
    return false;
}

bool OverlayMixerInstalled()
{
    IBaseFilter* mixer = nullptr;
    if (FAILED(CoCreateInstance(CLSID_OverlayMixer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                reinterpret_cast<void**>(&mixer))))
        return false;
    mixer->Release();
    return true;
}

void SetStretchedAspect(IBaseFilter* overlayMixer)
{
    ComPtr<IPin> input;
    input = FirstUnconnectedPin(overlayMixer, PINDIR_INPUT);
    ComPtr<IMixerPinConfig> config;
    if (input && SUCCEEDED(input.As(&config)))
        config->SetAspectRatioMode(AM_ARMODE_STRETCHED);
}

}  // namespace

HRESULT CCaptureGraph::BuildPreview(int format)
{
    if (state != kIdle)
        TearDown();
    if (!captureFilter_)
        return E_FAIL;
    DWORD priorityClass = 0;
    HRESULT hr = RendererStep(format, false, priorityClass);
    if (FAILED(hr))
        return hr;
    if (useInfTee) {
        hr = ReplaceAudioFilterWithInfTee();
        if (FAILED(hr))
            return hr;
    }
    hr = InsertStillImageGrabber();
    if (FAILED(hr))
        return hr;
    hr = TakeGraphControls();
    if (FAILED(hr))
        return hr;
    ApplyPriorityClass(priorityClass);
    state = kPreviewBuilt;
    return S_OK;
}

HRESULT CCaptureGraph::TakeGraphControls()
{
    HRESULT hr = graph_.As(&mediaControl_);
    if (SUCCEEDED(hr))
        hr = graph_.As(&mediaSeeking_);
    if (SUCCEEDED(hr))
        hr = graph_.As(&mediaEvents_);
    if (SUCCEEDED(hr))
        hr = mediaEvents_->SetNotifyWindow(reinterpret_cast<OAHWND>(notifyWindow), graphEventMessage, 0);
    return hr;
}

HRESULT CCaptureGraph::RendererStep(int format, bool recording, DWORD& priorityClass)
{
    if (format == -1)
        format = signalFormat;
    RendererKind kind;
    if (!RendererOfKind(rendererKind, kind))
        return E_FAIL;
    HRESULT hr = AddFilter(*kind.clsid, L"Video Renderer Filter", videoRenderer_.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return hr;
    report.videoPreviewRenderer = kind.reportName;
    hr = builder_->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, captureFilter_.Get(), nullptr,
                                videoRenderer_.Get());
    if (FAILED(hr) && rendererKind == 1 && !OverlayMixerInstalled())
        hr = RenderThroughMixingRenderer();
    if (FAILED(hr))
        return hr;

    bool trialRun = false;
    PreviewGraphSteps steps;
    steps.wantsFilters = [&](const PreviewOptions* options) {
        if (!options)
            return false;
        useInfTee = options->infTeeForAudio ? 1 : 0;
        priorityClass = options->priorityClass;
        return engine::IsInterlacedFormat(format) && options->deinterlaceInterlacedModes &&
               (!recording || options->deinterlaceWhileRecording);
    };
    steps.insertFilters = [&](std::vector<FilterEntry>& filters) {
        if (!filters.empty() && !filters.front().filter)
            filters.clear();
        return filters.empty() ? InsertYuvTransform() : InsertPreviewFilters(filters, trialRun);
    };
    PreviewProfile profile;
    hr = ReadPreviewProfileForGraph(previewProfilePath, steps, profile);
    if (FAILED(hr))
        return hr;

    report.audioPreviewRenderer = L"DirectSound Renderer";
    hr = builder_->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Audio, captureFilter_.Get(), nullptr, nullptr);
    if (FAILED(hr))
        return hr;
    hr = SetUpVideoWindow();
    if (FAILED(hr))
        return hr;
    if (trialRun)
        TrialRun();
    return S_OK;
}

// Without an Overlay Mixer the plain Video Renderer may refuse the card's YUY2
// (it does under Wine); the VMR-7 then stands in for it.
HRESULT CCaptureGraph::RenderThroughMixingRenderer()
{
    graph_->RemoveFilter(videoRenderer_.Get());
    HRESULT hr = AddFilter(CLSID_VideoMixingRenderer, L"Video Renderer Filter", videoRenderer_.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return hr;
    report.videoPreviewRenderer = L"Video Mixing Renderer 7";
    return builder_->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, captureFilter_.Get(), nullptr,
                                  videoRenderer_.Get());
}

HRESULT CCaptureGraph::InsertPreviewFilters(std::vector<FilterEntry>& filters, bool& trialRun)
{
    std::vector<IBaseFilter*> chain;
    for (auto& entry : filters) {
        if (FAILED(graph_->AddFilter(entry.filter.Get(), entry.friendlyName.c_str())))
            break;
        chain.push_back(entry.filter.Get());
    }
    HRESULT hr;
    if (rendererKind == 1) {
        ComPtr<IBaseFilter> mixer;
        if (FAILED(AddFilter(CLSID_OverlayMixer, L"Overlay Mixer", &mixer)))
            return S_OK;
        hr = RemoveBetween(graph_.Get(), captureFilter_.Get(), videoRenderer_.Get());
        if (FAILED(hr))
            return hr;
        SetStretchedAspect(mixer.Get());
        chain.push_back(mixer.Get());
        hr = ConnectChain(builder_.Get(), graph_.Get(), captureFilter_.Get(), chain, videoRenderer_.Get());
        if (FAILED(hr))
            return hr;
        mixer.As(&quality_);
    } else {
        RemoveBetween(graph_.Get(), captureFilter_.Get(), videoRenderer_.Get());
        hr = ConnectChain(builder_.Get(), graph_.Get(), captureFilter_.Get(), chain, videoRenderer_.Get());
        if (FAILED(hr))
            return hr;
        videoRenderer_.As(&quality_);
    }
    trialRun = true;
    return S_OK;
}

// Without a YUV transform (or, for kind 1, an Overlay Mixer) the graph stays
// as RenderStream connected it.
HRESULT CCaptureGraph::InsertYuvTransform()
{
    ComPtr<IBaseFilter> transform;
    AddFilter(kClsidYuvTransform, L"YUV Transform", &transform);
    if (rendererKind == 1) {
        ComPtr<IBaseFilter> mixer;
        if (!transform || FAILED(AddFilter(CLSID_OverlayMixer, L"Overlay Mixer", &mixer))) {
            if (transform)
                graph_->RemoveFilter(transform.Get());
            return S_OK;
        }
        HRESULT hr = RemoveBetween(graph_.Get(), captureFilter_.Get(), videoRenderer_.Get());
        if (FAILED(hr))
            return hr;
        SetStretchedAspect(mixer.Get());
        hr = ConnectChain(builder_.Get(), graph_.Get(), captureFilter_.Get(), {transform.Get(), mixer.Get()},
                          videoRenderer_.Get());
        if (FAILED(hr))
            return hr;
        mixer.As(&quality_);
        return S_OK;
    }
    if (!transform)
        return S_OK;
    const HRESULT hr = InsertIntoLink(graph_.Get(), captureFilter_.Get(), videoRenderer_.Get(), transform.Get());
    if (FAILED(hr))
        return hr;
    videoRenderer_.As(&quality_);
    return S_OK;
}

HRESULT CCaptureGraph::SetUpVideoWindow()
{
    HRESULT hr = graph_.As(&videoWindow_);
    if (FAILED(hr))
        return hr;
    ComPtr<IBasicAudio> audio;
    hr = graph_.As(&audio);
    if (FAILED(hr))
        return hr;
    audio->put_Volume(mute ? -10000 : 0);

    ComPtr<IAMDirectSound> directSound;
    if (SUCCEEDED(builder_->FindInterface(nullptr, &MEDIATYPE_Audio, captureFilter_.Get(), IID_IAMDirectSound,
                                          reinterpret_cast<void**>(directSound.GetAddressOf())))) {
        directSound->SetFocusWindow(viewWindow, TRUE);
        directSound.As(&audioRenderer_);
    }

    videoWindow_->put_Owner(reinterpret_cast<OAHWND>(viewWindow));
    videoWindow_->put_WindowStyle(WS_CHILD);
    videoWindow_->put_MessageDrain(reinterpret_cast<OAHWND>(viewWindow));
    PlaceVideo();
    videoWindow_->put_Visible(OATRUE);
    return S_OK;
}

// A first run lets the preview filters settle on their connections.
void CCaptureGraph::TrialRun()
{
    ComPtr<IMediaControl> control;
    if (FAILED(graph_.As(&control)))
        return;
    videoWindow_->put_Visible(OAFALSE);
    control->Run();
    for (int poll = 0; poll < kTrialPolls; ++poll) {
        Sleep(kTrialPollMs);
        OAFilterState now = State_Stopped;
        if (control->GetState(kTrialPollMs, &now) == S_OK && now == State_Running)
            break;
    }
    control->Stop();
    videoWindow_->put_Visible(OATRUE);
}

HRESULT CCaptureGraph::ReplaceAudioFilterWithInfTee()
{
    ComPtr<IPin> audioOut;
    HRESULT hr = builder_->FindPin(captureFilter_.Get(), PINDIR_OUTPUT, nullptr, &MEDIATYPE_Audio, FALSE, 0,
                                   &audioOut);
    if (FAILED(hr))
        return hr;
    ComPtr<IPin> peer;
    hr = audioOut->ConnectedTo(&peer);
    if (FAILED(hr))
        return hr;
    ComPtr<IBaseFilter> replaced;
    replaced = OwnerOf(peer.Get());
    ComPtr<IBaseFilter> tee;
    hr = AddFilter(CLSID_InfTee, L"Inf Tee", &tee);
    if (FAILED(hr))
        return hr;

    // The replaced filter's outputs and their peers, in pin order.
    std::vector<ComPtr<IPin>> downstream;
    for (int n = 0;; ++n) {
        ComPtr<IPin> out;
        out = NthPin(replaced.Get(), PINDIR_OUTPUT, n);
        if (!out)
            break;
        ComPtr<IPin> next;
        if (SUCCEEDED(out->ConnectedTo(&next))) {
            graph_->Disconnect(out.Get());
            graph_->Disconnect(next.Get());
            downstream.push_back(next);
        }
    }
    graph_->Disconnect(peer.Get());
    graph_->Disconnect(audioOut.Get());
    graph_->RemoveFilter(replaced.Get());

    ComPtr<IPin> teeIn;
    teeIn = FirstUnconnectedPin(tee.Get(), PINDIR_INPUT);
    hr = teeIn ? graph_->Connect(audioOut.Get(), teeIn.Get()) : E_FAIL;
    for (auto& next : downstream) {
        if (FAILED(hr))
            break;
        ComPtr<IPin> teeOut;
        teeOut = FirstUnconnectedPin(tee.Get(), PINDIR_OUTPUT);
        hr = teeOut ? graph_->Connect(teeOut.Get(), next.Get()) : E_FAIL;
    }
    return hr;
}

HRESULT CCaptureGraph::InsertStillImageGrabber()
{
    if (!stillFrames_)
        return E_FAIL;
    HRESULT hr = InsertSampleGrabber(builder_.Get(), captureFilter_.Get(), PIN_CATEGORY_PREVIEW, MEDIATYPE_Video,
                                     imageCallback_.get(), L"Video Image Capture");
    if (FAILED(hr))
        return hr;
    AM_MEDIA_TYPE type{};
    hr = imageCallback_->GetGrabber()->GetConnectedMediaType(&type);
    if (FAILED(hr))
        return hr;
    hr = stillFrames_->Accept(type);
    if (type.cbFormat)
        CoTaskMemFree(type.pbFormat);
    if (type.pUnk)
        type.pUnk->Release();
    if (FAILED(hr))
        return hr;
    imageCallback_->SetTarget(stillFrames_.get(), notifyWindow, stillImageMessage, 0);
    return S_OK;
}

HRESULT CCaptureGraph::ArmStillImage()
{
    const bool running = state == kPreviewing || (state == kRecording && videoRenderer_);
    if (!running || !imageCallback_->GetGrabber())
        return E_FAIL;
    imageCallback_->Arm();
    return S_OK;
}
