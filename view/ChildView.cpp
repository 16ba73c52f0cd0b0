#include "ChildView.h"

#include "../engine/CaptureGraph.h"
#include "../resources/tavrik/resource.h"

namespace {

constexpr wchar_t kViewClass[] = L"TavrikView";

}  // namespace

bool CChildView::Create(HWND parent, DWORD style, UINT id)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kViewClass;
    if (!RegisterFwClass(windowClass))
        return false;
    CREATESTRUCTW cs{};
    cs.dwExStyle = WS_EX_CLIENTEDGE;
    cs.lpszClass = kViewClass;
    cs.style = static_cast<LONG>(style & ~WS_BORDER);
    cs.hwndParent = parent;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.hInstance = instance;
    return CreateFwWindow(cs);
}

void CChildView::ShowContextMenu()
{
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_VIEW_CONTEXT));
    if (!menu)
        return;
    // The main window owns it, so it enables, checks and receives the commands.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, GetParent(Handle()), nullptr);
    DestroyMenu(menu);
}

bool CChildView::StartFrameMove() const
{
    HWND frame = GetParent(Handle());
    if (GetWindowLongW(frame, GWL_STYLE) & WS_CAPTION)
        return false;
    POINT cursor;
    GetCursorPos(&cursor);
    ReleaseCapture();
    SendMessageW(frame, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
    return true;
}

void CChildView::ToggleFullScreen()
{
    if (engine_)
        engine_->SetFullScreen(!engine_->IsFullScreen());
}

LRESULT CChildView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        RECT client;
        GetClientRect(Handle(), &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE: {
        const LRESULT result = Default(message, wParam, lParam);
        if (engine_)
            engine_->PlaceVideo();
        return result;
    }
    case WM_LBUTTONDOWN:
        // A window without caption is moved by dragging its video.
        if (StartFrameMove())
            return 0;
        break;
    case WM_LBUTTONDBLCLK:
        ToggleFullScreen();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && engine_ && engine_->IsFullScreen())
            engine_->SetFullScreen(false);
        break;
    case WM_CONTEXTMENU:
        ShowContextMenu();
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE)
            return 0;
        break;
    }
    return Default(message, wParam, lParam);
}
