// The video renderer kinds and the chain of filters in front of the renderer,
// shared by the preview graph and the preview branch of the record graph.
#pragma once

#include "GraphParts.h"
#include "VideoRendererKind.h"

#include <vector>

struct RendererKind {
    const CLSID* clsid;
    const wchar_t* reportName;
};

// False for a stored number that names no renderer.
bool RendererOfKind(engine::VideoRendererKind kind, RendererKind& renderer);

// Puts `filters` between the capture filter's video preview output and the
// renderer. OverlayMixer adds the Overlay Mixer last and takes its quality
// interface; S_FALSE when there is no Overlay Mixer, the graph then stays as
// it was. The mixing renderers give their own quality interface.
HRESULT RouteVideoThrough(GraphParts& parts, engine::VideoRendererKind rendererKind,
                          const std::vector<IBaseFilter*>& filters);
