#include "RendererChain.h"

#include "GraphEdit.h"
#include "PinQueries.h"
#include "RendererInterfaces.h"

using Microsoft::WRL::ComPtr;

namespace {

void SetStretchedAspect(IBaseFilter* overlayMixer)
{
    ComPtr<IPin> input = FirstUnconnectedPin(overlayMixer, PINDIR_INPUT);
    ComPtr<IMixerPinConfig> config;
    if (input && SUCCEEDED(input.As(&config)))
        config->SetAspectRatioMode(AM_ARMODE_STRETCHED);
}

HRESULT RouteThroughOverlayMixer(GraphParts& parts, std::vector<IBaseFilter*> chain)
{
    ComPtr<IBaseFilter> mixer;
    if (FAILED(parts.AddFilter(CLSID_OverlayMixer, L"Overlay Mixer", &mixer)))
        return S_FALSE;
    HRESULT hr = RemoveBetween(parts.graph.Get(), parts.captureFilter.Get(), parts.videoRenderer.Get());
    if (FAILED(hr))
        return hr;
    SetStretchedAspect(mixer.Get());
    chain.push_back(mixer.Get());
    hr = ConnectChain(parts.builder.Get(), parts.graph.Get(), parts.captureFilter.Get(), chain,
                      parts.videoRenderer.Get());
    if (FAILED(hr))
        return hr;
    mixer.As(&parts.quality);
    return S_OK;
}

}  // namespace

bool RendererOfKind(engine::VideoRendererKind kind, RendererKind& renderer)
{
    switch (kind) {
    case engine::VideoRendererKind::OverlayMixer:
        renderer = {&CLSID_VideoRenderer, L"Overlay Mixer"};
        return true;
    case engine::VideoRendererKind::Vmr7:
        renderer = {&CLSID_VideoMixingRenderer, L"Video Mixing Renderer 7"};
        return true;
    case engine::VideoRendererKind::Vmr9:
        renderer = {&CLSID_VideoMixingRenderer9, L"Video Mixing Renderer 9"};
        return true;
    }
    return false;
}

HRESULT RouteVideoThrough(GraphParts& parts, engine::VideoRendererKind rendererKind,
                          const std::vector<IBaseFilter*>& filters)
{
    if (rendererKind == engine::VideoRendererKind::OverlayMixer)
        return RouteThroughOverlayMixer(parts, filters);
    // The mixing renderers take the chain even when nothing stood between.
    RemoveBetween(parts.graph.Get(), parts.captureFilter.Get(), parts.videoRenderer.Get());
    const HRESULT hr = ConnectChain(parts.builder.Get(), parts.graph.Get(), parts.captureFilter.Get(), filters,
                                    parts.videoRenderer.Get());
    if (FAILED(hr))
        return hr;
    parts.videoRenderer.As(&parts.quality);
    return S_OK;
}
