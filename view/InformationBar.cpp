#include "InformationBar.h"

#include "../app/StateTexts.h"
#include "../engine/CaptureGraph.h"
#include "../resources/tavrik/resource.h"

void CInformationBar::Refresh(const CCaptureGraph& engine)
{
    if (!IsShown())
        return;
    SetItemText(IDC_INFO_STATE, StateText(engine.state));
    // The recording figures join these once recordings keep statistics.
    SetItemText(IDC_INFO_RECORD_TIME, L"00:00:00");
    SetItemText(IDC_INFO_VIDEO_FRAMES, L"0");
    SetItemText(IDC_INFO_DROPPED_FRAMES, L"0");
    SetItemText(IDC_INFO_RENDERER, RendererText(engine.rendererKind));
    // No renderer is running to report its quality.
    SetItemText(IDC_INFO_RENDERER_DROPPED, L"");
    SetItemText(IDC_INFO_RENDERER_RATE, L"");
}
