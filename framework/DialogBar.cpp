#include "DialogBar.h"

#include <vector>

namespace {

INT_PTR CALLBACK DialogBarProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

bool FwDialogBar::Create(FwFrameWnd& frame, unsigned templateId, unsigned id, DockSide side)
{
    if (!CreateBar(frame, id, side, true))
        return false;
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), Handle(), DialogBarProc, 0);
    if (!dialog_)
        return false;
    RECT rect;
    GetWindowRect(dialog_, &rect);
    size_ = {rect.right - rect.left, rect.bottom - rect.top};
    ShowWindow(dialog_, SW_SHOWNA);
    return true;
}

void FwDialogBar::SetItemText(int itemId, const std::wstring& text)
{
    SetDlgItemTextW(dialog_, itemId, text.c_str());
}

std::wstring FwDialogBar::ItemText(int itemId) const
{
    HWND item = GetDlgItem(dialog_, itemId);
    std::vector<wchar_t> buffer(static_cast<size_t>(GetWindowTextLengthW(item)) + 1);
    GetWindowTextW(item, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

int FwDialogBar::Thickness(DockSide side) const
{
    return IsHorizontal(side) ? size_.cy : size_.cx;
}

void FwDialogBar::LayOutContent(const RECT& content, DockSide)
{
    SetWindowPos(dialog_, nullptr, content.left, content.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
