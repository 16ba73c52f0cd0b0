#include "CaptureGraph.h"

HRESULT CCaptureGraph::SetRendererKind(int kind)
{
    // A running preview is rebuilt with the new renderer once previews exist.
    rendererKind = kind;
    return S_OK;
}

HRESULT CCaptureGraph::SetMute(int flag)
{
    // With a built graph the volume follows at once; there is none yet.
    mute = flag;
    return S_OK;
}

HRESULT CCaptureGraph::SelectAudioInput(int)
{
    return E_FAIL;
}

HRESULT CCaptureGraph::CheckSignalChange()
{
    constexpr int kPreviewing = 4;
    return state == kPreviewing ? E_FAIL : S_OK;
}
