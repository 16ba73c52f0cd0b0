#include "RecordFileDialog.h"

#include "../framework/core/ProfileStore.h"
#include "../framework/Resources.h"
#include "SettingsStore.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

namespace {

constexpr wchar_t kRecordPathEntry[] = L"RecordPath";
constexpr wchar_t kFilter[] = L"AVI Files(*.avi)\0*.avi\0All Files (*.*)\0*.*\0";

std::wstring DocumentsFolder()
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return L"";
    return folder;
}

// The remembered folder and the name, or the documents folder when they do not fit.
NameResult InitialFile(const std::wstring& name, ProfileStore& profile)
{
    const NameResult remembered =
        DialogInitialFile(profile.GetString(kSettingsSection, kRecordPathEntry, DocumentsFolder()), name);
    if (remembered.fault != NameFault::PathTooLong)
        return remembered;
    NameResult documents = DialogInitialFile(DocumentsFolder(), name);
    if (documents.ok())
        FwMessageBox(L"前回の録画保存場所のパスが長すぎるため、ドキュメントフォルダーを開きます。", MB_ICONINFORMATION);
    return documents;
}

std::optional<NameResult> AskForRecordFile(const std::wstring& name, ProfileStore& profile, HWND owner)
{
    const NameResult initial = InitialFile(name, profile);
    if (!initial.ok())
        return initial;
    wchar_t file[kNameBufferLength] = L"";
    initial.text.copy(file, initial.text.size());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = kNameBufferLength;
    dialog.lpstrDefExt = L"AVI";
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&dialog)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            return NameResult{L"", NameFault::PathTooLong};
        return std::nullopt;
    }
    const std::wstring path = file;
    profile.WriteString(kSettingsSection, kRecordPathEntry, FolderOfFile(path));
    if (const NameFault fault = CheckRecordPath(path); fault != NameFault::None)
        return NameResult{L"", fault};
    return NameResult{path};
}

}  // namespace

std::optional<NameResult> ChooseRecordFile(const std::wstring& name, const MainSettings& settings,
                                           ProfileStore& profile, HWND owner)
{
    if (NamesRecordAutomatically(settings))
        return AutomaticRecordPath(settings.defaultRecordPath, name);
    return AskForRecordFile(name, profile, owner);
}
