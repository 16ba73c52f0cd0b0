#include "PageControls.h"

#include "dshowbase/streams.h"

namespace trelvox {

std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(item);
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    wide.resize(static_cast<size_t>(GetWindowTextW(item, wide.data(), length + 1)));
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(), bytes, nullptr, nullptr);
    return text;
}

void SetItemText(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

bool IsItemChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetItemChecked(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void FillList(HWND dialog, int id, UINT firstStringId, int count)
{
    SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        WCHAR text[64] = L"";
        LoadStringW(CurrentModuleHandle(), firstStringId + static_cast<UINT>(i), text,
                    static_cast<int>(std::size(text)));
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

void SelectListItem(HWND dialog, int id, DWORD index)
{
    // An index beyond the list (a loaded value, say) shows no selection.
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

DWORD SelectedListItem(HWND dialog, int id, DWORD fallback)
{
    const LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? fallback : static_cast<DWORD>(index);
}

}  // namespace trelvox
