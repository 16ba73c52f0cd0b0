// A window object bound to its HWND: one window procedure for every class the
// framework registers, which hands each message to the object's WindowProc.
#pragma once

#include <windows.h>

class FwWnd {
public:
    FwWnd() = default;
    FwWnd(const FwWnd&) = delete;
    FwWnd& operator=(const FwWnd&) = delete;
    virtual ~FwWnd();

    HWND Handle() const { return window_; }

    // The procedure to give window classes whose windows are FwWnd objects.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Creates the window; the class must use Procedure.
    bool CreateFwWindow(const CREATESTRUCTW& cs);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND window_ = nullptr;
};

// Registers a class with Procedure as its window procedure, once per name.
bool RegisterFwClass(WNDCLASSEXW windowClass);
