// The settings command: the settings sheet over a copy of the settings.
#include "MainFrm.h"

#include "../resources/tavrik/resource.h"
#include "../settingsui/PropSheetSetting.h"

void CMainFrame::RegisterSettingsCommands()
{
    OnCommand(ID_SETTINGS, [this] { RunSettingsCommand(); });
    OnUpdate(ID_SETTINGS, [this](FwCmdUI& ui) { ui.Enable(engine->state != engine::kRecording); });
}

void CMainFrame::RunSettingsCommand()
{
    CPropSheetSetting sheet(settings, [this] { return engine->state == engine::kPreviewing; }, Handle());
    if (sheet.DoModal(Handle()) != IDOK)
        return;
    settings = sheet.Settings();
    HandEngineItsInputs();
    informationBar.ShowRecordProfileNames(settings.recordProfile.Full());
    PostStateText();
}
