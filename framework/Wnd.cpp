#include "Wnd.h"

FwWnd::~FwWnd()
{
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool FwWnd::CreateFwWindow(const CREATESTRUCTW& cs)
{
    return CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx,
                           cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, this) != nullptr;
}

LRESULT FwWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Default(message, wParam, lParam);
}

LRESULT FwWnd::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK FwWnd::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* object = static_cast<FwWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (object) {
            object->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        }
    }
    auto* object = reinterpret_cast<FwWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object)
        return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = object->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->window_ = nullptr;
    }
    return result;
}

bool RegisterFwClass(WNDCLASSEXW windowClass)
{
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FwWnd::Procedure;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing))
        return existing.lpfnWndProc == FwWnd::Procedure;
    return RegisterClassExW(&windowClass) != 0;
}
