// A modal dialog from a dialog template; OK and Cancel end it.
#pragma once

#include <windows.h>

class FwDialog {
public:
    explicit FwDialog(UINT templateId) : templateId_(templateId) {}
    virtual ~FwDialog() = default;

    INT_PTR DoModal(HWND owner);

protected:
    virtual bool OnInitDialog() { return true; }
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Handle() const { return dialog_; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND dialog_ = nullptr;
};
