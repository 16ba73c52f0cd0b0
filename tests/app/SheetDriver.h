// Driving Tavrik's settings sheet from another process as a user would: open it,
// turn its pages, pick combo items, click buttons and answer message boxes.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "TavrikProcess.h"

namespace tavrik_test {

inline constexpr WPARAM kSettingsCommand = 32870;
inline constexpr wchar_t kDialogClass[] = L"#32770";

// The first visible dialog of the process that `accept` takes.
template <typename Accept>
inline HWND DialogWhere(DWORD process, Accept accept)
{
    struct Search {
        DWORD process;
        Accept* accept;
        HWND found;
    } search{process, &accept, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == s->process && wcscmp(name, kDialogClass) == 0 && IsWindowVisible(window) &&
                (*s->accept)(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible dialog of the process with that caption.
inline HWND DialogTitled(DWORD process, const wchar_t* title)
{
    return DialogWhere(process, [&](HWND window) {
        wchar_t caption[128] = {};
        GetWindowTextW(window, caption, 128);
        return wcscmp(caption, title) == 0;
    });
}

// A property frame of the process (a dialog with tabs), other than the sheet it may be above.
inline HWND TabbedDialog(DWORD process, HWND besides = nullptr)
{
    return DialogWhere(process, [&](HWND window) {
        return window != besides && FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr) != nullptr;
    });
}

inline HWND WaitForDialog(DWORD process, const wchar_t* title)
{
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = DialogTitled(process, title)) != nullptr; }, 10000);
    return dialog;
}

// The settings command from the main window; the sheet once shown.
inline HWND OpenSettingsSheet(TavrikRun& run)
{
    PostMessageW(run.Window(), WM_COMMAND, kSettingsCommand, 0);
    return WaitForDialog(run.Id(), L"設定");
}

inline HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

inline int CurrentPageIndex(HWND sheet)
{
    return static_cast<int>(SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
}

// Turns to the page as its tab would; the page being left may refuse.
inline void TurnToPage(HWND sheet, int index)
{
    PostMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Turns to the page and waits until the sheet shows it.
inline bool ShowPage(HWND sheet, int index)
{
    TurnToPage(sheet, index);
    return WaitFor([&] { return CurrentPageIndex(sheet) == index; }, 5000);
}

inline std::wstring ComboItemText(HWND combo, LRESULT item)
{
    wchar_t text[256] = {};
    if (item < 0 || SendMessageW(combo, CB_GETLBTEXTLEN, item, 0) >= 255)
        return L"";
    SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    return text;
}

// The selected item's text; empty when nothing is selected.
inline std::wstring ComboSelection(HWND page, int id)
{
    HWND combo = GetDlgItem(page, id);
    return ComboItemText(combo, SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

inline std::vector<std::wstring> ComboItems(HWND page, int id)
{
    HWND combo = GetDlgItem(page, id);
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        items.push_back(ComboItemText(combo, i));
    return items;
}

// Selects the item with that text and tells the page, as a choice from the list does.
inline bool PickComboItem(HWND page, int id, const std::wstring& text)
{
    HWND combo = GetDlgItem(page, id);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (ComboItemText(combo, i) != text)
            continue;
        SendMessageW(combo, CB_SETCURSEL, i, 0);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo),
                            SMTO_NORMAL, 20000, &ignored);
        return true;
    }
    return false;
}

inline void Click(HWND page, int id)
{
    PostMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

inline bool IsChecked(HWND page, int id)
{
    return SendMessageW(GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline bool IsEnabled(HWND page, int id)
{
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

inline void SetEditText(HWND page, int id, const std::wstring& text)
{
    SendMessageW(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// A message box of the process (a dialog with the box's text control), above any sheet.
inline HWND MessageBoxAbove(DWORD process, std::wstring& text)
{
    HWND box = DialogWhere(process, [](HWND window) { return GetDlgItem(window, 0xFFFF) != nullptr; });
    text = box ? Text(GetDlgItem(box, 0xFFFF)) : L"";
    return text.empty() ? nullptr : box;
}

// The next message box of the process, its text read, answered with that button.
inline std::wstring AnswerMessageBox(DWORD process, int button = IDOK)
{
    std::wstring text;
    HWND box = nullptr;
    WaitFor([&] { return (box = MessageBoxAbove(process, text)) != nullptr; }, 10000);
    if (box)
        PostMessageW(box, WM_COMMAND, button, 0);
    WaitFor([&] { return !IsWindow(box); }, 5000);
    return text;
}

// Memory inside another process for the list view messages that carry pointers.
class RemoteBuffer {
public:
    RemoteBuffer(DWORD process, size_t size)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process)),
          size_(size)
    {
        if (process_)
            address_ = static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer()
    {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    BYTE* Address() const { return address_; }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        return address_ && offset + size <= size_ &&
               WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        return address_ && offset + size <= size_ &&
               ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_;
    size_t size_;
    BYTE* address_ = nullptr;
};

inline std::wstring ListViewCell(DWORD process, HWND list, int row, int column)
{
    constexpr size_t kChars = 256;
    RemoteBuffer remote(process, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(LVITEMW));
    item.cchTextMax = kChars;
    wchar_t text[kChars] = {};
    if (remote.Write(0, &item, sizeof item) &&
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address())))
        remote.Read(sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t));
    return text;
}

// Selects and focuses the row, as a click on it does.
inline void SelectListViewRow(DWORD process, HWND list, int row)
{
    RemoteBuffer remote(process, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (remote.Write(0, &item, sizeof item))
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address()));
}

// The texts of a property frame's tabs, read through a buffer inside its process.
inline std::vector<std::wstring> TabTexts(DWORD process, HWND frame)
{
    constexpr size_t kChars = 64;
    HWND tabs = FindWindowExW(frame, nullptr, WC_TABCONTROLW, nullptr);
    RemoteBuffer remote(process, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
    const LRESULT count = tabs ? SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0) : 0;
    std::vector<std::wstring> texts;
    for (LRESULT i = 0; remote.Address() && i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(TCITEMW));
        item.cchTextMax = kChars;
        wchar_t text[kChars] = {};
        if (remote.Write(0, &item, sizeof item) &&
            SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.Address())))
            remote.Read(sizeof(TCITEMW), text, sizeof text - sizeof(wchar_t));
        texts.push_back(text);
    }
    return texts;
}

}  // namespace tavrik_test
