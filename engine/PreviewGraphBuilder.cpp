#include "PreviewGraphBuilder.h"

#include "GraphEdit.h"
#include "PinQueries.h"
#include "RendererChain.h"
#include "RendererInterfaces.h"
#include "SignalFormat.h"

#include "../profiles/CurrentProfiles.h"
#include "dshowbase/MediaType.h"

using Microsoft::WRL::ComPtr;

namespace {

// {B179A682-641B-11D2-A4D9-0060080BA634}
const CLSID kClsidYuvTransform = {0xB179A682, 0x641B, 0x11D2, {0xA4, 0xD9, 0x00, 0x60, 0x08, 0x0B, 0xA6, 0x34}};

constexpr int kTrialPolls = 50;
constexpr DWORD kTrialPollMs = 100;
constexpr long kMuted = -10000;

bool OverlayMixerInstalled()
{
    ComPtr<IBaseFilter> mixer;
    return SUCCEEDED(CoCreateInstance(CLSID_OverlayMixer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mixer)));
}

}  // namespace

HRESULT PreviewGraphBuilder::Build(const BuildSettings& settings, int format, BuildOutcome& outcome)
{
    HRESULT hr = RendererStep(settings, format, false, outcome);
    if (FAILED(hr))
        return hr;
    if (outcome.useInfTee) {
        hr = ReplaceAudioFilterWithInfTee();
        if (FAILED(hr))
            return hr;
    }
    hr = InsertStillImageGrabber();
    if (FAILED(hr))
        return hr;
    return c_.parts.TakeControls(true, c_.setup.notifyWindow, c_.setup.graphEventMessage);
}

HRESULT PreviewGraphBuilder::RendererStep(const BuildSettings& settings, int format, bool recording,
                                          BuildOutcome& outcome)
{
    GraphParts& parts = c_.parts;
    if (format == -1)
        format = settings.signalFormat;
    RendererKind kind;
    if (!RendererOfKind(settings.rendererKind, kind))
        return E_FAIL;
    HRESULT hr = parts.AddFilter(*kind.clsid, L"Video Renderer Filter", parts.videoRenderer.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return hr;
    c_.report.videoPreviewRenderer = kind.reportName;
    hr = parts.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, parts.captureFilter.Get(), nullptr,
                                     parts.videoRenderer.Get());
    if (FAILED(hr) && settings.rendererKind == engine::VideoRendererKind::OverlayMixer && !OverlayMixerInstalled())
        hr = RenderThroughMixingRenderer();
    if (FAILED(hr))
        return hr;

    bool trialRun = false;
    PreviewGraphSteps steps;
    steps.wantsFilters = [&](const PreviewOptions* options) {
        // An unreadable profile means no Inf Tee, whatever an earlier build read.
        outcome.useInfTee = options && options->infTeeForAudio ? 1 : 0;
        if (!options)
            return false;
        outcome.priorityClass = options->priorityClass;
        return engine::IsInterlacedFormat(format) && options->deinterlaceInterlacedModes &&
               (!recording || options->deinterlaceWhileRecording);
    };
    steps.insertFilters = [&](std::vector<FilterEntry>& filters) {
        if (!filters.empty() && !filters.front().filter)
            filters.clear();
        return filters.empty() ? InsertYuvTransform(settings.rendererKind)
                               : InsertPreviewFilters(settings.rendererKind, filters, trialRun);
    };
    PreviewProfile profile;
    hr = ReadPreviewProfileForGraph(c_.setup.previewProfilePath, steps, profile);
    if (FAILED(hr))
        return hr;

    c_.report.audioPreviewRenderer = L"DirectSound Renderer";
    hr = parts.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Audio, parts.captureFilter.Get(), nullptr,
                                     nullptr);
    if (FAILED(hr))
        return hr;
    hr = SetUpVideoWindow(settings);
    if (FAILED(hr))
        return hr;
    return trialRun ? TrialRun() : S_OK;
}

// Without an Overlay Mixer the plain Video Renderer may refuse the card's YUY2
// (it does under Wine); the VMR-7 then stands in for it.
HRESULT PreviewGraphBuilder::RenderThroughMixingRenderer()
{
    GraphParts& parts = c_.parts;
    parts.graph->RemoveFilter(parts.videoRenderer.Get());
    HRESULT hr = parts.AddFilter(CLSID_VideoMixingRenderer, L"Video Renderer Filter",
                                 parts.videoRenderer.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return hr;
    c_.report.videoPreviewRenderer = L"Video Mixing Renderer 7";
    hr = parts.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, parts.captureFilter.Get(), nullptr,
                                     parts.videoRenderer.Get());
    if (SUCCEEDED(hr))
        parts.videoRenderer.As(&parts.quality);  // the bar's renderer figures come from it
    return hr;
}

HRESULT PreviewGraphBuilder::InsertPreviewFilters(engine::VideoRendererKind rendererKind,
                                                  std::vector<FilterEntry>& filters, bool& trialRun)
{
    std::vector<IBaseFilter*> chain;
    for (auto& entry : filters) {
        if (FAILED(c_.parts.graph->AddFilter(entry.filter.Get(), entry.friendlyName.c_str())))
            break;
        chain.push_back(entry.filter.Get());
    }
    const HRESULT hr = RouteVideoThrough(c_.parts, rendererKind, chain);
    if (FAILED(hr) || hr == S_FALSE)
        return FAILED(hr) ? hr : S_OK;
    trialRun = true;
    return S_OK;
}

// Without a YUV transform (or, for the Overlay Mixer kind, an Overlay Mixer) the graph stays
// as RenderStream connected it.
HRESULT PreviewGraphBuilder::InsertYuvTransform(engine::VideoRendererKind rendererKind)
{
    GraphParts& parts = c_.parts;
    ComPtr<IBaseFilter> transform;
    parts.AddFilter(kClsidYuvTransform, L"YUV Transform", &transform);
    if (!transform)
        return S_OK;
    if (rendererKind == engine::VideoRendererKind::OverlayMixer) {
        const HRESULT hr = RouteVideoThrough(parts, rendererKind, {transform.Get()});
        if (hr == S_FALSE)
            parts.graph->RemoveFilter(transform.Get());
        return FAILED(hr) ? hr : S_OK;
    }
    const HRESULT hr =
        InsertIntoLink(parts.graph.Get(), parts.captureFilter.Get(), parts.videoRenderer.Get(), transform.Get());
    if (FAILED(hr))
        return hr;
    parts.videoRenderer.As(&parts.quality);
    return S_OK;
}

HRESULT PreviewGraphBuilder::SetUpVideoWindow(const BuildSettings& settings)
{
    GraphParts& parts = c_.parts;
    HRESULT hr = parts.graph.As(&parts.videoWindow);
    if (FAILED(hr))
        return hr;
    ComPtr<IBasicAudio> audio;
    hr = parts.graph.As(&audio);
    if (FAILED(hr))
        return hr;
    audio->put_Volume(settings.mute ? kMuted : 0);

    ComPtr<IAMDirectSound> directSound;
    if (SUCCEEDED(parts.builder->FindInterface(nullptr, &MEDIATYPE_Audio, parts.captureFilter.Get(), IID_IAMDirectSound,
                                               reinterpret_cast<void**>(directSound.GetAddressOf())))) {
        directSound->SetFocusWindow(c_.setup.viewWindow, TRUE);
        directSound.As(&parts.audioRenderer);
    }
    c_.placement.Show(settings.aspectMode);
    return S_OK;
}

// A first run lets the preview filters settle on their connections.
HRESULT PreviewGraphBuilder::TrialRun()
{
    ComPtr<IMediaControl> control;
    const HRESULT hr = c_.parts.graph.As(&control);
    if (FAILED(hr))
        return hr;
    IVideoWindow* window = c_.parts.videoWindow.Get();
    window->put_Visible(OAFALSE);
    control->Run();
    for (int poll = 0; poll < kTrialPolls; ++poll) {
        Sleep(kTrialPollMs);
        OAFilterState now = State_Stopped;
        if (control->GetState(kTrialPollMs, &now) == S_OK && now == State_Running)
            break;
    }
    control->Stop();
    window->put_Visible(OATRUE);
    return S_OK;
}

HRESULT PreviewGraphBuilder::ReplaceAudioFilterWithInfTee()
{
    GraphParts& parts = c_.parts;
    ComPtr<IPin> audioOut;
    HRESULT hr = parts.builder->FindPin(parts.captureFilter.Get(), PINDIR_OUTPUT, nullptr, &MEDIATYPE_Audio, FALSE, 0,
                                        &audioOut);
    if (FAILED(hr))
        return hr;
    ComPtr<IPin> peer;
    hr = audioOut->ConnectedTo(&peer);
    if (FAILED(hr))
        return hr;
    ComPtr<IBaseFilter> replaced = OwnerOf(peer.Get());
    ComPtr<IBaseFilter> tee;
    hr = parts.AddFilter(CLSID_InfTee, L"Inf Tee", &tee);
    if (FAILED(hr))
        return hr;

    // The replaced filter's outputs and their peers, in pin order.
    std::vector<ComPtr<IPin>> downstream;
    for (int n = 0;; ++n) {
        ComPtr<IPin> out = NthPin(replaced.Get(), PINDIR_OUTPUT, n);
        if (!out)
            break;
        ComPtr<IPin> next;
        if (SUCCEEDED(out->ConnectedTo(&next))) {
            parts.graph->Disconnect(out.Get());
            parts.graph->Disconnect(next.Get());
            downstream.push_back(next);
        }
    }
    parts.graph->Disconnect(peer.Get());
    parts.graph->Disconnect(audioOut.Get());
    parts.graph->RemoveFilter(replaced.Get());

    ComPtr<IPin> teeIn = FirstUnconnectedPin(tee.Get(), PINDIR_INPUT);
    hr = teeIn ? parts.graph->Connect(audioOut.Get(), teeIn.Get()) : E_FAIL;
    for (auto& next : downstream) {
        if (FAILED(hr))
            break;
        ComPtr<IPin> teeOut = FirstUnconnectedPin(tee.Get(), PINDIR_OUTPUT);
        hr = teeOut ? parts.graph->Connect(teeOut.Get(), next.Get()) : E_FAIL;
    }
    return hr;
}

HRESULT PreviewGraphBuilder::InsertStillImageGrabber()
{
    HRESULT hr = InsertSampleGrabber(c_.parts.builder.Get(), c_.parts.captureFilter.Get(), PIN_CATEGORY_PREVIEW,
                                     MEDIATYPE_Video, &c_.imageCallback, L"Video Image Capture");
    if (FAILED(hr))
        return hr;
    CMediaType type;
    hr = c_.imageCallback.GetGrabber()->GetConnectedMediaType(&type);
    if (FAILED(hr))
        return hr;
    hr = c_.stillFrames.Accept(type);
    if (FAILED(hr))
        return hr;
    c_.imageCallback.SetTarget(&c_.stillFrames, c_.setup.notifyWindow, c_.setup.stillImageMessage, 0);
    return S_OK;
}
