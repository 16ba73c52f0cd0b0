// The settings: read at creation, written at exit (and at the end of a session),
// handed to the engine, and edited by the settings command.
#include "MainFrm.h"

#include "../framework/App.h"
#include "SettingsFormats.h"
#include "SettingsStore.h"

namespace {

ProfileStore& Profile()
{
    return FwApp::Current()->Profile();
}

}  // namespace

void CMainFrame::LoadSettings()
{
    StoredSettings stored;
    stored.main = settings;
    ReadSettings(Profile(), stored);

    engine->SetRendererKind(stored.videoRenderer);
    ChangeAudioInput(stored.audioInput);
    engine->SetMute(stored.audioMute);
    if (stored.videoScale != engine->ScaleMode())
        engine->SetScaleMode(stored.videoScale);
    engine->SetAspectMode(stored.videoAspectMode);
    startPreview = stored.preview;
    registerFilterGraph = stored.registerFilterGraph;
    settings = stored.main;
    topmost = stored.topmost;
    windowMode = stored.windowMode;
    if (stored.stressThread)
        engine->StartLoadThread();
    settingsLoaded = true;
}

void CMainFrame::SaveSettings()
{
    StoredSettings stored;
    stored.videoRenderer = engine->RendererKind();
    stored.audioInput = engine->AudioInput();
    stored.audioMute = engine->Mute();
    stored.videoScale = engine->ScaleMode();
    stored.videoAspectMode = engine->AspectMode();
    stored.preview = engine->State() == engine::kPreviewing ? 1 : 0;
    stored.main = settings;
    stored.topmost = topmost;
    stored.windowMode = windowMode;
    stored.stressThread = engine->LoadThreadRunning() ? 1 : 0;
    WriteSettings(Profile(), stored);
}

void CMainFrame::SaveWindowLayout()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(Handle(), &placement)) {
        const RECT& r = placement.rcNormalPosition;
        Profile().WriteString(
            kSettingsSection, L"WindowState",
            FormatWindowState({static_cast<int>(placement.showCmd), r.left, r.top, r.right, r.bottom}));
    }
    SaveBarState(Profile(), kBarStateSection);
}

void CMainFrame::HandEngineItsInputs()
{
    CaptureSetup setup;
    setup.deviceProfilePath = settings.deviceProfile.Full();
    setup.recordProfilePath = settings.recordProfile.Full();
    setup.previewProfilePath = settings.previewProfile.Full();
    setup.cardFolder = settings.cardFolder;
    setup.cardConfigFile = settings.cardConfigFile;
    setup.applyCardConfig = settings.useCardConfig;
    setup.cardConfigWait = settings.cardConfigWait;
    setup.registerInRot = registerFilterGraph;
    setup.notifyWindow = Handle();
    setup.graphEventMessage = WM_APP + 2;
    setup.stillImageMessage = WM_APP + 3;
    setup.viewWindow = view.Handle();
    engine->Configure(setup);
    view.SetEngine(engine.get());
}
