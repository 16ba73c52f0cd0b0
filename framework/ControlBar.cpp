#include "ControlBar.h"

#include "FrameWnd.h"

#include <windowsx.h>

namespace {

constexpr wchar_t kBarClass[] = L"FwControlBar";

}  // namespace

bool FwControlBar::CreateBar(FwFrameWnd& frame, unsigned id, DockSide side, bool gripper)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kBarClass;
    if (!RegisterFwClass(windowClass))
        return false;
    frame_ = &frame;
    id_ = id;
    side_ = side;
    gripper_ = gripper;
    CREATESTRUCTW cs{};
    cs.lpszClass = kBarClass;
    cs.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    cs.hwndParent = frame.Handle();
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.hInstance = instance;
    return CreateFwWindow(cs);
}

bool FwControlBar::IsShown() const
{
    return Handle() && (GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void FwControlBar::SetSide(DockSide side)
{
    side_ = side;
    RECT client;
    GetClientRect(Handle(), &client);
    SendMessageW(Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

RECT FwControlBar::GripperRect() const
{
    RECT client;
    GetClientRect(Handle(), &client);
    if (IsHorizontal(side_))
        client.right = client.left + GripperSize();
    else
        client.bottom = client.top + GripperSize();
    return client;
}

void FwControlBar::PaintGripper(HDC dc) const
{
    if (!gripper_)
        return;
    RECT line = GripperRect();
    if (IsHorizontal(side_)) {
        InflateRect(&line, 0, -2);
        line.left += 2;
        line.right = line.left + 3;
    } else {
        InflateRect(&line, -2, 0);
        line.top += 2;
        line.bottom = line.top + 3;
    }
    DrawEdge(dc, &line, BDR_RAISEDINNER, BF_RECT);
}

void FwControlBar::DropAt(POINT screenPoint)
{
    RECT frameClient;
    GetClientRect(frame_->Handle(), &frameClient);
    ScreenToClient(frame_->Handle(), &screenPoint);
    const DockSide side = NearestSide({frameClient.left, frameClient.top, frameClient.right, frameClient.bottom},
                                      screenPoint.x, screenPoint.y);
    if (CanDock(side) && side != side_)
        frame_->DockControlBar(*this, side);
}

LRESULT FwControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE: {
        RECT content;
        GetClientRect(Handle(), &content);
        if (IsHorizontal(side_))
            content.left += GripperSize();
        else
            content.top += GripperSize();
        LayOutContent(content, side_);
        InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        PaintGripper(dc);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_SETCURSOR: {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(Handle(), &point);
        const RECT gripper = GripperRect();
        if (gripper_ && dockSides_ && PtInRect(&gripper, point)) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN: {
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const RECT gripper = GripperRect();
        if (gripper_ && dockSides_ && PtInRect(&gripper, point)) {
            dragging_ = true;
            SetCapture(Handle());
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(Handle(), &point);
            DropAt(point);
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
        // Buttons and tooltips speak to the frame.
        return SendMessageW(frame_->Handle(), message, wParam, lParam);
    }
    return Default(message, wParam, lParam);
}
