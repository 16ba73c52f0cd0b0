// The window around the video: scale and aspect commands, edge sizing in the aspect,
// frame-only mode, always on top, and the refit after layout changes.
#include "MainFrm.h"

#include "../resources/tavrik/resource.h"
#include "core/WindowModes.h"

namespace {

constexpr UINT kFitMessage = WM_APP + 1;
constexpr LONG kCaptionStyles = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

}  // namespace

void CMainFrame::RegisterWindowCommands()
{
    OnCommandRange(kScaleCommandFirst, ID_SCALE_200,
                   [this](unsigned id) { engine->SetScaleMode(ScaleModeOfCommand(id)); });
    OnUpdateRange(kScaleCommandFirst, ID_SCALE_200, [this](FwCmdUI& ui) {
        ui.Enable(ScaleCanChange(IsZoomed(Handle()), engine->AspectMode(), engine->IsFullScreen()));
        ui.SetCheck(ScaleModeOfCommand(ui.Id()) == engine->ScaleMode());
    });
    OnCommand(ID_SCALE_DOWN, [this] { StepScale(false); });
    OnCommand(ID_SCALE_UP, [this] { StepScale(true); });

    OnCommandRange(ID_ASPECT_FREE, ID_ASPECT_16_9ZOOM,
                   [this](unsigned id) { engine->SetAspectMode(AspectModeOfCommand(id)); });
    OnUpdateRange(ID_ASPECT_FREE, ID_ASPECT_16_9ZOOM, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetCheck(AspectModeOfCommand(ui.Id()) == engine->AspectMode());
    });
    OnCommand(ID_ASPECT_PREVIOUS, [this] { engine->SetAspectMode(AspectStep(engine->AspectMode(), false)); });
    OnCommand(ID_ASPECT_NEXT, [this] { engine->SetAspectMode(AspectStep(engine->AspectMode(), true)); });

    OnCommand(ID_WINDOW_STYLE, [this] { ToggleFrameOnlyMode(); });
    OnUpdate(ID_WINDOW_STYLE, [this](FwCmdUI& ui) { ui.Enable(!engine->IsFullScreen() && !IsZoomed(Handle())); });
    OnCommand(ID_TOPMOST, [this] { ToggleTopmost(); });
    OnUpdate(ID_TOPMOST, [this](FwCmdUI& ui) {
        ui.Enable(!engine->IsFullScreen());
        ui.SetCheck(topmost != 0);
    });
}

void CMainFrame::StepScale(bool larger)
{
    if (!ScaleCanChange(IsZoomed(Handle()), engine->AspectMode(), engine->IsFullScreen()))
        return;
    const int mode = ScaleStep(engine->ScaleMode(), larger);
    if (mode != engine->ScaleMode())
        engine->SetScaleMode(mode);
}

void CMainFrame::ApplyTopmost()
{
    SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CMainFrame::ToggleTopmost()
{
    topmost = !topmost;
    ApplyTopmost();
}

void CMainFrame::ToggleFrameOnlyMode()
{
    if (GetWindowLongW(Handle(), GWL_STYLE) & WS_CAPTION)
        EnterFrameOnlyMode(true);
    else
        LeaveFrameOnlyMode();
    // Caption and menu changed the frame even when no bar did.
    RecalcLayout();
}

void CMainFrame::EnterFrameOnlyMode(bool hideWhileChanging)
{
    savedToolBarVisible = toolBar.IsShown();
    savedStatusBarVisible = statusBar.IsShown();
    savedInformationBarVisible = informationBar.IsShown();
    if (hideWhileChanging)
        ShowWindow(Handle(), SW_HIDE);
    SetMenu(Handle(), nullptr);
    SetWindowLongW(Handle(), GWL_STYLE, GetWindowLongW(Handle(), GWL_STYLE) & ~kCaptionStyles);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    for (FwControlBar* bar : {static_cast<FwControlBar*>(&toolBar), static_cast<FwControlBar*>(&statusBar),
                              static_cast<FwControlBar*>(&informationBar)})
        ShowControlBar(*bar, false);
    if (hideWhileChanging)
        ShowWindow(Handle(), SW_SHOW);
    windowMode = 1;
}

void CMainFrame::LeaveFrameOnlyMode()
{
    ShowWindow(Handle(), SW_HIDE);
    SetWindowLongW(Handle(), GWL_STYLE, GetWindowLongW(Handle(), GWL_STYLE) | kCaptionStyles);
    // Giving the menu back also recalculates the frame for the caption.
    SetMenu(Handle(), MainMenu());
    ShowWindow(Handle(), SW_SHOW);
    ShowBarsHiddenForFrameOnlyMode();
    windowMode = 0;
}

void CMainFrame::ShowBarsHiddenForFrameOnlyMode()
{
    if (savedToolBarVisible)
        ShowControlBar(toolBar, true);
    if (savedStatusBarVisible)
        ShowControlBar(statusBar, true);
    if (savedInformationBarVisible)
        ShowControlBar(informationBar, true);
}

void CMainFrame::ReleaseDetachedMenu()
{
    if (!GetMenu(Handle()) && MainMenu())
        DestroyMenu(MainMenu());
}

void CMainFrame::RecalcLayout()
{
    // Changes from the size handlers fit themselves; any other asks for a refit.
    if (!inSizing && Handle())
        PostMessageW(Handle(), kFitMessage, 0, 0);
    FwFrameWnd::RecalcLayout();
}

void CMainFrame::StoreWindowRect()
{
    GetWindowRect(Handle(), &savedWindowRect);
}

SIZE CMainFrame::VideoAreaNow() const
{
    const LayoutRect area = ViewArea();
    RECT viewWindow{}, viewClient{};
    GetWindowRect(view.Handle(), &viewWindow);
    GetClientRect(view.Handle(), &viewClient);
    const int borderWidth = (viewWindow.right - viewWindow.left) - viewClient.right;
    const int borderHeight = (viewWindow.bottom - viewWindow.top) - viewClient.bottom;
    return {area.right - area.left - borderWidth, area.bottom - area.top - borderHeight};
}

LRESULT CMainFrame::OnSizing(WPARAM edge, LPARAM lParam)
{
    auto& proposed = *reinterpret_cast<RECT*>(lParam);
    inSizing = 1;
    if (IsCornerEdge(static_cast<int>(edge))) {
        proposed = savedWindowRect;
        inSizing = 0;
        return TRUE;
    }
    const SIZE before = VideoAreaNow();
    SIZE area = before;
    if (engine->ConstrainSizing(static_cast<int>(edge), area) && engine->ScaleMode() != kScaleFree)
        engine->SetScaleMode(kScaleFree);
    WindowRect corrected{proposed.left, proposed.top, proposed.right, proposed.bottom};
    CorrectProposedRect(static_cast<int>(edge), area.cx - before.cx, area.cy - before.cy, corrected);
    proposed = {corrected.left, corrected.top, corrected.right, corrected.bottom};
    FwFrameWnd::WindowProc(WM_SIZING, edge, lParam);
    inSizing = 0;
    return TRUE;
}

std::optional<LRESULT> CMainFrame::WindowModeMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZING:
        return OnSizing(wParam, lParam);
    case WM_SIZE: {
        inSizing = 1;
        StoreWindowRect();
        const LRESULT result = FwFrameWnd::WindowProc(message, wParam, lParam);
        StoreWindowRect();
        inSizing = 0;
        return result;
    }
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = FwFrameWnd::WindowProc(message, wParam, lParam);
        StoreWindowRect();
        return result;
    }
    case WM_NCHITTEST: {
        const LRESULT result = FwFrameWnd::WindowProc(message, wParam, lParam);
        if (GetWindowLongW(Handle(), GWL_STYLE) & WS_CAPTION)
            return result;
        return FrameOnlyHitTest(static_cast<int>(result));
    }
    }
    return std::nullopt;
}
