#include "Dialog.h"

INT_PTR FwDialog::DoModal(HWND owner)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, Procedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR FwDialog::OnMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog_, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK FwDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<FwDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->dialog_ = dialog;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<FwDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->OnMessage(message, wParam, lParam) : FALSE;
}
