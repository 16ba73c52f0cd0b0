#include "DialogItems.h"

#include <vector>

bool IsItemChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void CheckItem(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void EnableItem(HWND dialog, int id, bool enabled)
{
    EnableWindow(GetDlgItem(dialog, id), enabled);
}

std::wstring ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1);
    GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
    return text.data();
}

int ComboAdd(HWND dialog, int id, const std::wstring& text, LPARAM data)
{
    const auto index =
        static_cast<int>(SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0)
        SendDlgItemMessageW(dialog, id, CB_SETITEMDATA, index, data);
    return index;
}

bool ComboSelectData(HWND dialog, int id, LPARAM data)
{
    const auto count = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (SendDlgItemMessageW(dialog, id, CB_GETITEMDATA, i, 0) == data) {
            SendDlgItemMessageW(dialog, id, CB_SETCURSEL, i, 0);
            return true;
        }
    }
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return false;
}

LPARAM ComboSelectedData(HWND dialog, int id, LPARAM none)
{
    const LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? none : SendDlgItemMessageW(dialog, id, CB_GETITEMDATA, index, 0);
}
