#include "MainFrm.h"

#include "../framework/App.h"
#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "SettingsFormats.h"
#include "SettingsStore.h"
#include "StateTexts.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerPeriod = 500;
constexpr wchar_t kRecordingCannotExit[] = L"録画中です。終了できません。";

// Record, stop and still requests are ignored while a modal window of Tavrik is open.
constexpr unsigned kCaptureRequests[] = {ID_RECORD_START, ID_RECORD_STOP, ID_STILL_IMAGE};

constexpr unsigned kAppCommandMediaStop = 13;
constexpr unsigned kAppCommandMediaPause = 47;
constexpr unsigned kAppCommandMediaRecord = 48;
constexpr WPARAM kShellAppCommand = 12;

const UINT shellHookMessage = RegisterWindowMessageW(L"SHELLHOOK");
bool timerAlternation = false;

}  // namespace

CMainFrame::CMainFrame(const std::wstring& dataFolder) : engine(std::make_unique<CCaptureGraph>())
{
    settings.deviceProfile = {dataFolder, L"CurrentDevice.dat"};
    settings.recordProfile = {dataFolder, L"CurrentRecord.dat"};
    settings.previewProfile = {dataFolder, LongestProfileName()};
    RegisterCommands();
}

CMainFrame::~CMainFrame()
{
    engine.reset();
}

void CMainFrame::RegisterCommands()
{
    RegisterPreviewCommands();
    RegisterRecordCommands();
    RegisterToolCommands();
    RegisterWindowCommands();
    RegisterSettingsCommands();
    RegisterStillCommands();

    OnCommand(ID_VIEW_INFORMATION_BAR, [this] { ToggleInformationBar(); });
    OnUpdate(ID_VIEW_INFORMATION_BAR, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetCheck(informationBar.IsShown());
    });

    OnCommand(ID_LOAD_THREAD, [this] {
        if (engine->LoadThreadRunning())
            engine->StopLoadThread();
        else
            engine->StartLoadThread();
    });
    OnUpdate(ID_LOAD_THREAD, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetCheck(engine->LoadThreadRunning());
    });

    OnUpdate(ID_INDICATOR_FORMAT, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetText(InputFormatText(engine->State(), engine->ReadInputFormat()));
    });
    OnUpdate(ID_INDICATOR_ASPECT, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetText(AspectText(engine->AspectMode()));
    });
}

bool CMainFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    WNDCLASSEXW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.hInstance = cs.hInstance;
    windowClass.hIcon = LoadIconW(cs.hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterFwClass(windowClass))
        return false;
    cs.lpszClass = kMainWindowClass;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;

    const std::wstring stored = FwApp::Current()->Profile().GetString(kSettingsSection, L"WindowState", L"");
    if (const auto state = ParseWindowState(stored)) {
        cs.x = state->left;
        cs.y = state->top;
        cs.cx = state->right - state->left;
        cs.cy = state->bottom - state->top;
    }
    return true;
}

int CMainFrame::OnCreate(CREATESTRUCTW&)
{
    // The view never paints over the renderer's video window.
    if (!view.Create(Handle(), WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN, IDW_PANE_FIRST))
        return -1;
    SetView(view.Handle(), &view);

    if (!toolBar.Create(*this, IDW_TOOLBAR, DockSide::Top) || !toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!statusBar.Create(*this, IDW_STATUS_BAR) ||
        !statusBar.SetIndicators({ID_INDICATOR_ASPECT, ID_INDICATOR_FORMAT}))
        return -1;
    SetStatusBar(&statusBar);
    if (!informationBar.Create(*this, IDD_INFORMATION_BAR, IDW_INFORMATION_BAR, DockSide::Bottom))
        return -1;

    AddControlBar(statusBar);
    toolBar.EnableDocking(kDockAny);
    AddControlBar(toolBar);
    informationBar.EnableDocking(kDockAny);
    AddControlBar(informationBar);
    LoadBarState(FwApp::Current()->Profile(), kBarStateSection);

    LoadSettings();
    HandEngineItsInputs();
    if (FAILED(engine->Open())) {
        if (!engine->HasCard())
            FwMessageBox(L"Zelvan キャプチャーデバイスが見つかりません。", MB_ICONHAND);
        FwMessageBox(L"Zelvan の初期化に失敗しました。", MB_ICONHAND);
    }
    RegisterShellHookWindow(Handle());
    informationBar.ShowRecordProfileNames(settings.recordProfile.Full());
    SetTimer(Handle(), kTimerId, kTimerPeriod, nullptr);
    if (topmost)
        ApplyTopmost();
    if (windowMode)
        EnterFrameOnlyMode(false);
    return 0;
}

void CMainFrame::RunStartupPreview()
{
    if (startPreview)
        TogglePreview();
}

void CMainFrame::ShowEngineFailure(const wchar_t* text, HRESULT hr)
{
    wchar_t message[160];
    swprintf(message, std::size(message), L"%ls(%08x)", text, static_cast<unsigned>(hr));
    FwMessageBox(message, MB_ICONHAND);
}

void CMainFrame::PostStateText()
{
    PostMessageW(Handle(), WM_SETMESSAGESTRING, IDS_IDLE_MESSAGE, 0);
}

void CMainFrame::OnDestroy()
{
    // A window whose creation failed leaves the stored state as it was.
    if (!settingsLoaded)
        return;
    // The bars are stored as frame-only mode will give them back at the next start.
    if (windowMode)
        ShowBarsHiddenForFrameOnlyMode();
    ReleaseDetachedMenu();
    SaveWindowLayout();
    DeregisterShellHookWindow(Handle());
    KillTimer(Handle(), kTimerId);
    // The settings keep the engine's last state ("Preview" 1 while previewing). Then the
    // graph stops while the view, its video window's owner, still exists: a renderer left
    // running would draw into windows that are being destroyed.
    SaveSettings();
    engine->TearDown();
}

void CMainFrame::OnEndSession()
{
    // A recording is finished as the stop command finishes it: files and report complete.
    if (engine->State() == engine::kRecording)
        FinishRecording();
    if (windowMode)
        ShowBarsHiddenForFrameOnlyMode();
    SaveWindowLayout();
    SaveSettings();
}

void CMainFrame::OnClose()
{
    if (engine->State() == engine::kRecording) {
        FwMessageBox(kRecordingCannotExit, MB_ICONINFORMATION);
        return;
    }
    if (engine->State() == engine::kDetecting) {
        // The close completes once the detection wait has returned.
        detectionWait.Cancel();
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
        return;
    }
    FwFrameWnd::OnClose();
}

bool CMainFrame::OnQueryEndSession()
{
    if (!FwFrameWnd::OnQueryEndSession())
        return false;
    if (engine->State() == engine::kRecording) {
        FwMessageBox(kRecordingCannotExit, MB_ICONINFORMATION);
        return false;
    }
    if (engine->State() == engine::kDetecting)
        detectionWait.Cancel();
    return true;
}

LRESULT CMainFrame::OnSetMessageString(WPARAM id, LPARAM text)
{
    if (id == IDS_IDLE_MESSAGE) {
        SetMessageText(StateText(engine->State()));
        return 0;
    }
    return FwFrameWnd::OnSetMessageString(id, text);
}

bool CMainFrame::PreTranslateMessage(MSG& message)
{
    const bool running = engine->State() == engine::kPreviewing || engine->State() == engine::kRecording;
    if (running && message.message == WM_SYSCOMMAND) {
        const WPARAM command = message.wParam & 0xFFF0;
        if (command == SC_SCREENSAVE || command == SC_MONITORPOWER)
            return true;
    }
    return FwFrameWnd::PreTranslateMessage(message);
}

void CMainFrame::OnTimer()
{
    // The detection wait runs no idle time: keep the status panes current from here.
    if (engine->State() == engine::kDetecting)
        OnIdleUpdate();
    if (timerAlternation)
        FollowInputChange();
    else
        informationBar.Refresh(*engine);
    timerAlternation = !timerAlternation;
}

bool CMainFrame::ModalWindowOpen() const
{
    // Every modal window of Tavrik is owned by the main window or by one of its dialogs,
    // so the main window is disabled while one is open.
    return !IsWindowEnabled(Handle());
}

bool CMainFrame::OnCmdMsg(unsigned id, FwCmdUI* update)
{
    // Menus, accelerators, buttons, media keys and the shell hook all arrive here.
    if (!update && ModalWindowOpen() && std::ranges::count(kCaptureRequests, id) != 0)
        return true;
    return FwFrameWnd::OnCmdMsg(id, update);
}

bool CMainFrame::OnAppCommand(unsigned command)
{
    unsigned id = 0;
    switch (command) {
    case kAppCommandMediaStop:
        id = ID_RECORD_STOP;
        break;
    case kAppCommandMediaPause:
        id = ID_STILL_IMAGE;
        break;
    case kAppCommandMediaRecord:
        id = ID_RECORD_START;
        break;
    default:
        return false;
    }
    // The commands check the engine's state themselves.
    OnCmdMsg(id, nullptr);
    return true;
}

void CMainFrame::ToggleInformationBar()
{
    ShowControlBar(informationBar, !informationBar.IsShown());
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto appCommand = static_cast<unsigned>((lParam >> 16) & 0xFFF);
    if (message == WM_APPCOMMAND)
        return OnAppCommand(appCommand) ? 1 : 0;
    if (message == shellHookMessage && wParam == kShellAppCommand && OnAppCommand(appCommand))
        return 1;
    if (const auto handled = WindowModeMessage(message, wParam, lParam))
        return *handled;

    switch (message) {
    case WM_TIMER:
        if (wParam == kTimerId)
            OnTimer();
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENDSESSION:
        if (wParam && settingsLoaded)
            OnEndSession();
        return 0;
    case WM_APP + 1:
        engine->FitWindow(true);
        return 0;
    case WM_APP + 2:
        OnGraphEvents();
        return 0;
    case WM_APP + 3:
        OnStillImageStored();
        return 0;
    case WM_SHOWWINDOW: {
        const LRESULT result = FwFrameWnd::WindowProc(message, wParam, lParam);
        if (wParam && lParam == SW_PARENTOPENING)
            engine->PlaceVideo();
        return result;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE && IsWindowVisible(Handle()))
            return 0;
        break;
    }
    return FwFrameWnd::WindowProc(message, wParam, lParam);
}
