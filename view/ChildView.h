// The client area of the main window, where the video is shown. Black where no
// video covers it.
#pragma once

#include "../framework/core/CmdTarget.h"
#include "../framework/Wnd.h"

class CCaptureGraph;

class CChildView : public FwWnd, public FwCmdTarget {
public:
    bool Create(HWND parent, DWORD style, UINT id);
    // The main window's engine, whose video window this view hosts.
    void SetEngine(CCaptureGraph* engine) { engine_ = engine; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowContextMenu();
    void ToggleFullScreen();
    // Without a caption on the main window, a press on the video starts moving it.
    bool StartFrameMove() const;

    CCaptureGraph* engine_ = nullptr;
};
