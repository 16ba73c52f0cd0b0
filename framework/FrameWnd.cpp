#include "FrameWnd.h"

#include "App.h"
#include "CommandText.h"
#include "ControlBar.h"
#include "DockState.h"
#include "FrameworkIds.h"
#include "ProfileStore.h"
#include "Resources.h"
#include "StatusBar.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr wchar_t kDefaultFrameClass[] = L"FwFrame";
constexpr wchar_t kBarStateEntry[] = L"Bars";

class MenuItemCmdUI : public FwCmdUI {
public:
    MenuItemCmdUI(HMENU menu, unsigned position, unsigned id) : FwCmdUI(id), menu_(menu), position_(position) {}
    void Enable(bool enabled) override
    {
        EnableMenuItem(menu_, position_, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
    void SetCheck(bool checked) override
    {
        CheckMenuItem(menu_, position_, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
    void SetText(const std::wstring& text) override
    {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<wchar_t*>(text.c_str());
        SetMenuItemInfoW(menu_, position_, TRUE, &info);
    }

private:
    HMENU menu_;
    unsigned position_;
};

// Only records whether the command is enabled.
class ProbeCmdUI : public FwCmdUI {
public:
    using FwCmdUI::FwCmdUI;
    void Enable(bool enabled) override { enabled_ = enabled; }
    void SetCheck(bool) override {}
    void SetText(const std::wstring&) override {}
    bool Enabled() const { return enabled_; }

private:
    bool enabled_ = true;
};

}  // namespace

FwFrameWnd::FwFrameWnd() = default;

FwFrameWnd::~FwFrameWnd()
{
    if (accelerators_)
        DestroyAcceleratorTable(accelerators_);
}

bool FwFrameWnd::LoadFrame(unsigned resourceId, DWORD style, const RECT& rect)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring title = LoadResString(resourceId);
    menu_ = LoadMenuW(instance, MAKEINTRESOURCEW(resourceId));
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(resourceId));

    CREATESTRUCTW cs{};
    cs.hInstance = instance;
    cs.hMenu = menu_;
    cs.lpszName = title.c_str();
    cs.style = static_cast<LONG>(style);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.dwExStyle = WS_EX_CLIENTEDGE;
    if (!PreCreateWindow(cs) || !CreateFwWindow(cs)) {
        if (menu_ && !Handle())
            DestroyMenu(menu_);
        return false;
    }
    PostMessageW(Handle(), WM_SETMESSAGESTRING, IDS_IDLE_MESSAGE, 0);
    return true;
}

bool FwFrameWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) {
        WNDCLASSEXW windowClass{};
        windowClass.style = CS_DBLCLKS;
        windowClass.hInstance = cs.hInstance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kDefaultFrameClass;
        if (!RegisterFwClass(windowClass))
            return false;
        cs.lpszClass = kDefaultFrameClass;
    }
    return true;
}

bool FwFrameWnd::PreTranslateMessage(MSG& message)
{
    return accelerators_ && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST &&
           TranslateAcceleratorW(Handle(), accelerators_, &message);
}

void FwFrameWnd::SetView(HWND view, FwCmdTarget* viewTarget)
{
    view_ = view;
    viewTarget_ = viewTarget;
}

bool FwFrameWnd::OnCmdMsg(unsigned id, FwCmdUI* update)
{
    // A bar's id is also the command that shows and hides it.
    if (FwControlBar* bar = FindBar(id)) {
        if (update) {
            update->Enable(true);
            update->SetCheck(bar->IsShown());
        } else {
            ShowControlBar(*bar, !bar->IsShown());
        }
        return true;
    }
    return FwCmdTarget::OnCmdMsg(id, update);
}

bool FwFrameWnd::RouteCommand(unsigned id)
{
    ProbeCmdUI probe(id);
    RouteUpdate(probe);
    if (!probe.Enabled())
        return false;
    if (viewTarget_ && viewTarget_->OnCmdMsg(id, nullptr))
        return true;
    if (OnCmdMsg(id, nullptr))
        return true;
    FwApp* app = FwApp::Current();
    return app && app->OnCmdMsg(id, nullptr);
}

void FwFrameWnd::RouteUpdate(FwCmdUI& element)
{
    const unsigned id = element.Id();
    if (viewTarget_ && viewTarget_->OnCmdMsg(id, &element))
        return;
    if (OnCmdMsg(id, &element))
        return;
    FwApp* app = FwApp::Current();
    if (app && app->OnCmdMsg(id, &element))
        return;
    element.Enable(false);
}

FwControlBar* FwFrameWnd::FindBar(unsigned id) const
{
    auto found = std::find_if(bars_.begin(), bars_.end(), [id](FwControlBar* bar) { return bar->Id() == id; });
    return found == bars_.end() ? nullptr : *found;
}

void FwFrameWnd::AddControlBar(FwControlBar& bar)
{
    bars_.push_back(&bar);
}

void FwFrameWnd::DockControlBar(FwControlBar& bar, DockSide side)
{
    // A bar docked anew goes inside the bars already on that side.
    bars_.erase(std::remove(bars_.begin(), bars_.end(), &bar), bars_.end());
    bars_.push_back(&bar);
    bar.SetSide(side);
    RecalcLayout();
}

void FwFrameWnd::ShowControlBar(FwControlBar& bar, bool show)
{
    ShowWindow(bar.Handle(), show ? SW_SHOWNA : SW_HIDE);
    RecalcLayout();
}

FrameLayout FwFrameWnd::CurrentLayout() const
{
    RECT client{};
    GetClientRect(Handle(), &client);
    std::vector<BarPlacement> placements;
    for (FwControlBar* bar : bars_)
        placements.push_back({bar->Side(), bar->IsShown(), bar->Thickness(bar->Side())});
    return LayOutFrame({client.left, client.top, client.right, client.bottom}, placements);
}

LayoutRect FwFrameWnd::ViewArea() const
{
    return CurrentLayout().view;
}

void FwFrameWnd::RecalcLayout()
{
    if (!Handle())
        return;
    const FrameLayout layout = CurrentLayout();
    for (size_t i = 0; i < bars_.size(); ++i) {
        if (!bars_[i]->IsShown())
            continue;
        const LayoutRect& r = layout.bars[i];
        MoveWindow(bars_[i]->Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    if (view_)
        MoveWindow(view_, layout.view.left, layout.view.top, layout.view.right - layout.view.left,
                   layout.view.bottom - layout.view.top, TRUE);
}

void FwFrameWnd::SaveBarState(ProfileStore& profile, const std::wstring& section) const
{
    std::vector<BarState> states;
    for (FwControlBar* bar : bars_)
        states.push_back({bar->Id(), bar->Side(), bar->IsShown()});
    profile.WriteString(section, kBarStateEntry, FormatDockState(states));
}

void FwFrameWnd::LoadBarState(const ProfileStore& profile, const std::wstring& section)
{
    for (const BarState& state : ParseDockState(profile.GetString(section, kBarStateEntry, L""))) {
        FwControlBar* bar = FindBar(state.id);
        if (!bar)
            continue;
        if (bar->CanDock(state.side) || state.side == bar->Side()) {
            bars_.erase(std::remove(bars_.begin(), bars_.end(), bar), bars_.end());
            bars_.push_back(bar);
            bar->SetSide(state.side);
        }
        ShowWindow(bar->Handle(), state.visible ? SW_SHOWNA : SW_HIDE);
    }
    RecalcLayout();
}

void FwFrameWnd::SetMessageText(const std::wstring& text)
{
    if (statusBar_)
        statusBar_->SetMessageText(text);
}

void FwFrameWnd::OnIdleUpdate()
{
    if (!Handle())
        return;
    auto route = [this](FwCmdUI& element) { RouteUpdate(element); };
    for (FwControlBar* bar : bars_) {
        if (bar->IsShown())
            bar->UpdateCmdUI(route);
    }
}

void FwFrameWnd::OnClose()
{
    DestroyWindow(Handle());
}

LRESULT FwFrameWnd::OnSetMessageString(WPARAM id, LPARAM text)
{
    if (id)
        SetMessageText(CommandPrompt(LoadResString(static_cast<unsigned>(id))));
    else if (text)
        SetMessageText(reinterpret_cast<const wchar_t*>(text));
    return 0;
}

void FwFrameWnd::InitMenuPopup(HMENU menu)
{
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) || info.hSubMenu ||
            (info.fType & MFT_SEPARATOR))
            continue;
        MenuItemCmdUI item(menu, static_cast<unsigned>(position), info.wID);
        RouteUpdate(item);
    }
}

void FwFrameWnd::OnMenuSelect(unsigned item, unsigned flags, HMENU menu)
{
    if (flags == 0xFFFF && !menu) {
        SendMessageW(Handle(), WM_SETMESSAGESTRING, IDS_IDLE_MESSAGE, 0);
        return;
    }
    const bool command = !(flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU)) && item != 0;
    SendMessageW(Handle(), WM_SETMESSAGESTRING, command ? item : IDS_IDLE_MESSAGE, 0);
}

LRESULT FwFrameWnd::OnNotify(NMHDR& header)
{
    if (header.code == TTN_GETDISPINFOW) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        tooltip_ = CommandTooltip(LoadResString(static_cast<unsigned>(header.idFrom)));
        info.lpszText = const_cast<wchar_t*>(tooltip_.c_str());
        return 0;
    }
    if (header.code == TBN_HOTITEMCHANGE) {
        // The status line describes the button under the mouse.
        const auto& change = reinterpret_cast<NMTBHOTITEM&>(header);
        const bool leaving = (change.dwFlags & HICF_LEAVING) != 0 || change.idNew == 0;
        SendMessageW(Handle(), WM_SETMESSAGESTRING, leaving ? IDS_IDLE_MESSAGE : change.idNew, 0);
        return 0;
    }
    return 0;
}

LRESULT FwFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(*reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_DESTROY: {
        OnDestroy();
        FwApp* app = FwApp::Current();
        if (app && app->MainWnd() == this)
            PostQuitMessage(0);
        return 0;
    }
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession();
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_SETFOCUS:
        if (view_)
            SetFocus(view_);
        return 0;
    case WM_COMMAND:
        // Menus, accelerators and buttons; notifications from other controls are not commands.
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1)
            RouteCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam))
            InitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_SETMESSAGESTRING:
        return OnSetMessageString(wParam, lParam);
    }
    return Default(message, wParam, lParam);
}
