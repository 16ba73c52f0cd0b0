#include "FolderPicker.h"

#include "../dshowbase/TaskMemory.h"
#include "../framework/Resources.h"
#include "core/OutputNames.h"

#include <shlobj.h>

namespace {

int CALLBACK SelectInitialFolder(HWND picker, UINT message, LPARAM, LPARAM initialPath)
{
    if (message == BFFM_INITIALIZED)
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, initialPath);
    return 0;
}

}  // namespace

bool BrowseForFolder(HWND owner, std::wstring& path, const std::wstring& title, const std::wstring& fallback)
{
    const std::wstring initial = path.empty() ? fallback : path;
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;
    browse.lpfn = SelectInitialFolder;
    browse.lParam = reinterpret_cast<LPARAM>(initial.c_str());
    const CTaskMemory<ITEMIDLIST> chosen(SHBrowseForFolderW(&browse));
    if (!chosen)
        return false;
    wchar_t folder[kNameBufferLength] = L"";
    if (!SHGetPathFromIDListW(chosen.Get(), folder)) {
        FwMessageBox(NameFaultMessage(NameFault::PathTooLong), MB_ICONINFORMATION);
        return false;
    }
    path = folder;
    return true;
}
