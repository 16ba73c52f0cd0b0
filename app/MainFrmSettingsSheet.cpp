// The settings command: the settings sheet over a copy of the settings.
#include "MainFrm.h"

#include "../resources/tavrik/resource.h"
#include "../settingsui/PropSheetSetting.h"

#include <algorithm>

void CMainFrame::RegisterSettingsCommands()
{
    OnCommand(ID_SETTINGS, [this] { RunSettingsCommand(); });
    OnUpdate(ID_SETTINGS, [this](FwCmdUI& ui) { ui.Enable(engine->State() != engine::kRecording); });
}

void CMainFrame::RunSettingsCommand()
{
    CPropSheetSetting sheet(
        settings, [this] { return engine->State() == engine::kPreviewing; }, Handle());
    if (sheet.DoModal(Handle()) != IDOK)
        return;
    MainSettings confirmed = sheet.Settings();
    // A still saved while the sheet was open used the number the sheet read: never go back.
    confirmed.recordSerialNumber = std::max(confirmed.recordSerialNumber, settings.recordSerialNumber);
    confirmed.imageSerialNumber = std::max(confirmed.imageSerialNumber, settings.imageSerialNumber);
    settings = confirmed;
    HandEngineItsInputs();
    informationBar.ShowRecordProfileNames(settings.recordProfile.Full());
    PostStateText();
}
