// Recording: the start command, the stop command, and a recording the multiplexer
// ended itself.
#include "MainFrm.h"

#include "../resources/tavrik/resource.h"

void CMainFrame::RegisterRecordCommands()
{
    // Recording arrives with the engine's record graph.
    OnUpdate(ID_RECORD_START, [](FwCmdUI& ui) { ui.Enable(false); });
    OnCommand(ID_RECORD_STOP, [this] { StopCommand(); });
    OnUpdate(ID_RECORD_STOP, [this](FwCmdUI& ui) {
        ui.Enable(engine->state == engine::kRecording || engine->state == engine::kDetecting);
    });
}

void CMainFrame::StopCommand()
{
    if (engine->state == engine::kDetecting) {
        engine->cancelDetection = 1;
        return;
    }
    if (engine->resumePreview) {
        engine->resumePreview = 0;
        TogglePreview();
    }
    PostStateText();
}

void CMainFrame::OnGraphEvents()
{
    engine->HandleGraphEvents();
}
