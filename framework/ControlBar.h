// A bar the frame lays out along one of its sides: a container window that holds
// the bar's control, draws a gripper and can be dragged by it to another side.
#pragma once

#include "CmdTarget.h"
#include "DockLayout.h"
#include "Wnd.h"

#include <functional>

class FwFrameWnd;

enum DockSides : unsigned {
    kDockTop = 1u << static_cast<int>(DockSide::Top),
    kDockBottom = 1u << static_cast<int>(DockSide::Bottom),
    kDockLeft = 1u << static_cast<int>(DockSide::Left),
    kDockRight = 1u << static_cast<int>(DockSide::Right),
    kDockAny = kDockTop | kDockBottom | kDockLeft | kDockRight,
};

class FwControlBar : public FwWnd {
public:
    unsigned Id() const { return id_; }
    DockSide Side() const { return side_; }
    bool CanDock(DockSide side) const { return (dockSides_ & (1u << static_cast<int>(side))) != 0; }
    void EnableDocking(unsigned sides) { dockSides_ = sides; }
    bool IsShown() const;

    // Height on a top or bottom side, width on a left or right side.
    virtual int Thickness(DockSide side) const = 0;
    // Lets the update handlers set the bar's buttons or panes, at idle.
    virtual void UpdateCmdUI(const std::function<void(FwCmdUI&)>&) {}

protected:
    bool CreateBar(FwFrameWnd& frame, unsigned id, DockSide side, bool gripper);
    // Places the bar's control in `content` (the bar's client area less the gripper).
    virtual void LayOutContent(const RECT& content, DockSide side) = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static constexpr int kGripperSize = 8;
    int GripperSize() const { return gripper_ ? kGripperSize : 0; }

private:
    friend class FwFrameWnd;
    void SetSide(DockSide side);
    RECT GripperRect() const;
    void PaintGripper(HDC dc) const;
    void DropAt(POINT screenPoint);

    FwFrameWnd* frame_ = nullptr;
    unsigned id_ = 0;
    DockSide side_ = DockSide::Top;
    unsigned dockSides_ = 0;
    bool gripper_ = false;
    bool dragging_ = false;
};
