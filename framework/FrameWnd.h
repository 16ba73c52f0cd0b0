// A frame window without documents: menu, accelerators, icon and title from one
// resource id, bars docked along its sides, one view in the space left, and the
// routing of commands and their update handlers (view first, then the frame,
// then the application).
#pragma once

#include "CmdTarget.h"
#include "DockLayout.h"
#include "Wnd.h"

#include <string>
#include <vector>

class FwControlBar;
class FwStatusBar;
class ProfileStore;

class FwFrameWnd : public FwWnd, public FwCmdTarget {
public:
    FwFrameWnd();
    ~FwFrameWnd() override;

    // Loads menu, accelerator table and icon `resourceId`, the title from the string
    // of that id, and creates the window with `style` in `rect`.
    bool LoadFrame(unsigned resourceId, DWORD style, const RECT& rect);

    // Accelerators; true when the message was used up.
    virtual bool PreTranslateMessage(MSG& message);

    // Runs a command the way a menu choice does: only when its update handler
    // leaves it enabled.
    bool RouteCommand(unsigned id);
    // Lets the view, the frame or the application set the element; disables it
    // when none of them knows the command.
    void RouteUpdate(FwCmdUI& element);
    bool OnCmdMsg(unsigned id, FwCmdUI* update) override;

    // The bars in layout order: each added bar takes its strip after the ones before.
    void AddControlBar(FwControlBar& bar);
    void DockControlBar(FwControlBar& bar, DockSide side);
    void ShowControlBar(FwControlBar& bar, bool show);
    virtual void RecalcLayout();
    // The view's rectangle the layout gives at the current window size, moving nothing.
    LayoutRect ViewArea() const;

    void SaveBarState(ProfileStore& profile, const std::wstring& section) const;
    void LoadBarState(const ProfileStore& profile, const std::wstring& section);

    void SetStatusBar(FwStatusBar* statusBar) { statusBar_ = statusBar; }
    void SetMessageText(const std::wstring& text);
    // Sets toolbar buttons and status panes from their update handlers.
    void OnIdleUpdate();

protected:
    void SetView(HWND view, FwCmdTarget* viewTarget);
    HMENU MainMenu() const { return menu_; }

    virtual bool PreCreateWindow(CREATESTRUCTW& cs);
    virtual int OnCreate(CREATESTRUCTW&) { return 0; }
    virtual void OnDestroy() {}
    virtual void OnClose();
    virtual bool OnQueryEndSession() { return true; }
    virtual LRESULT OnSetMessageString(WPARAM id, LPARAM text);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void InitMenuPopup(HMENU menu);
    void OnMenuSelect(unsigned item, unsigned flags, HMENU menu);
    LRESULT OnNotify(NMHDR& header);
    FwControlBar* FindBar(unsigned id) const;
    FrameLayout CurrentLayout() const;

    HACCEL accelerators_ = nullptr;
    HMENU menu_ = nullptr;
    HWND view_ = nullptr;
    FwCmdTarget* viewTarget_ = nullptr;
    FwStatusBar* statusBar_ = nullptr;
    std::vector<FwControlBar*> bars_;
    std::wstring tooltip_;
};
