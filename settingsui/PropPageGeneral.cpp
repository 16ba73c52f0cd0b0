#include "PropPageGeneral.h"

#include "../app/FolderPicker.h"
#include "../app/core/SettingsStore.h"
#include "../framework/DialogItems.h"
#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "core/ChoiceLists.h"
#include "core/PageRules.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kMaxPath = 260;
constexpr int kMaxPrefix = 16;
constexpr LPARAM kNoRule = -1;

std::wstring ShellFolder(int csidl)
{
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void FillNameRules(HWND page, int id, int rule)
{
    for (const settingsui::Choice& choice : settingsui::kNameRuleChoices)
        ComboAdd(page, id, choice.text, choice.data);
    ComboSelectData(page, id, rule);
}

// A rule that matches no item stays as it was.
void ReadNameRule(HWND page, int id, int& rule)
{
    const LPARAM chosen = ComboSelectedData(page, id, kNoRule);
    if (chosen != kNoRule)
        rule = static_cast<int>(chosen);
}

}  // namespace

CPropPageGeneral::CPropPageGeneral(MainSettings& settings) : FwPropertyPage(IDD_PAGE_GENERAL), settings_(settings) {}

bool CPropPageGeneral::OnInitDialog()
{
    // The wait's edit is hidden: a stored value out of range could never be corrected.
    settings_.cardConfigWait = std::clamp(settings_.cardConfigWait, kCardConfigWaitRange.min, kCardConfigWaitRange.max);
    FillNameRules(Handle(), IDC_GEN_RECORD_NAME_RULE, settings_.recordNameRule);
    FillNameRules(Handle(), IDC_GEN_IMAGE_NAME_RULE, settings_.imageNameRule);
    UpdateData(false);
    EnableControls();
    return true;
}

void CPropPageGeneral::DoDataExchange(FwDataExchange& exchange)
{
    exchange.Text(IDC_GEN_CARD_FOLDER, settings_.cardFolder);
    exchange.MaxChars(IDC_GEN_CARD_FOLDER, settings_.cardFolder, kMaxPath);
    exchange.Check(IDC_GEN_RECORD_RULE, settings_.recordRule);
    exchange.Text(IDC_GEN_RECORD_FOLDER, settings_.defaultRecordPath);
    exchange.MaxChars(IDC_GEN_RECORD_FOLDER, settings_.defaultRecordPath, kMaxPath);
    exchange.Text(IDC_GEN_RECORD_PREFIX, settings_.recordNamePrefix);
    exchange.MaxChars(IDC_GEN_RECORD_PREFIX, settings_.recordNamePrefix, kMaxPrefix);
    // Any integer: the naming counts on past 9999 and wraps at the largest.
    exchange.Text(IDC_GEN_RECORD_SERIAL, settings_.recordSerialNumber);
    exchange.Check(IDC_GEN_RECORD_LOG, settings_.useRecordingReport);
    exchange.Text(IDC_GEN_IMAGE_FOLDER, settings_.imagePath);
    exchange.Text(IDC_GEN_IMAGE_PREFIX, settings_.imageNamePrefix);
    exchange.MaxChars(IDC_GEN_IMAGE_PREFIX, settings_.imageNamePrefix, kMaxPrefix);
    exchange.Text(IDC_GEN_IMAGE_SERIAL, settings_.imageSerialNumber);
    exchange.Check(IDC_GEN_USE_CONFIG, settings_.useCardConfig);
    exchange.Text(IDC_GEN_CONFIG_FILE, settings_.cardConfigFile);
    exchange.MaxChars(IDC_GEN_CONFIG_FILE, settings_.cardConfigFile, kMaxPath);
    exchange.Text(IDC_GEN_CONFIG_WAIT, settings_.cardConfigWait);
    exchange.MinMax(IDC_GEN_CONFIG_WAIT, settings_.cardConfigWait, kCardConfigWaitRange.min, kCardConfigWaitRange.max);
    if (exchange.Saving() && !exchange.Failed()) {
        ReadNameRule(Handle(), IDC_GEN_RECORD_NAME_RULE, settings_.recordNameRule);
        ReadNameRule(Handle(), IDC_GEN_IMAGE_NAME_RULE, settings_.imageNameRule);
    }
}

void CPropPageGeneral::EnableControls()
{
    const bool recordRule = IsItemChecked(Handle(), IDC_GEN_RECORD_RULE);
    for (int id : {IDC_GEN_RECORD_FOLDER_LABEL, IDC_GEN_RECORD_FOLDER, IDC_GEN_RECORD_BROWSE})
        EnableItem(Handle(), id, recordRule);
    const bool useConfig = IsItemChecked(Handle(), IDC_GEN_USE_CONFIG);
    for (int id : {IDC_GEN_CONFIG_LABEL, IDC_GEN_CONFIG_FILE, IDC_GEN_CONFIG_BROWSE})
        EnableItem(Handle(), id, useConfig);
}

bool CPropPageGeneral::OnKillActive()
{
    if (!UpdateData(true))
        return false;
    settingsui::GeneralPaths paths{settings_.recordRule != 0, settings_.defaultRecordPath, settings_.imagePath,
                                   settings_.useCardConfig != 0, settings_.cardConfigFile};
    const std::wstring refusal = settingsui::CheckGeneralPaths(paths, {IsDirectory, IsFile});
    settings_.defaultRecordPath = paths.recordFolder;
    settings_.cardConfigFile = paths.configFile;
    UpdateData(false);
    if (refusal.empty())
        return true;
    FwMessageBox(refusal, MB_ICONINFORMATION);
    return false;
}

void CPropPageGeneral::BrowseCardFolder()
{
    if (!UpdateData(true))
        return;
    if (BrowseForFolder(Handle(), settings_.cardFolder, L"Zelvan インストール場所の指定",
                        ShellFolder(CSIDL_PROGRAM_FILES)) &&
        settings_.cardConfigFile.empty())
        settings_.cardConfigFile = settings_.cardFolder;
    UpdateData(false);
}

void CPropPageGeneral::BrowseFolder(std::wstring& folder, const wchar_t* title)
{
    if (!UpdateData(true))
        return;
    BrowseForFolder(Handle(), folder, title, ShellFolder(CSIDL_PERSONAL));
    UpdateData(false);
}

void CPropPageGeneral::BrowseConfigFile()
{
    if (!UpdateData(true))
        return;
    std::wstring filter = L"Zelvan 設定ファイル(*.cfg)|*.cfg||";
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    std::vector<wchar_t> file(MAX_PATH, L'\0');
    settings_.cardConfigFile.copy(file.data(), std::min<size_t>(settings_.cardConfigFile.size(), MAX_PATH - 1));
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = Handle();
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = file.data();
    open.nMaxFile = MAX_PATH;
    open.lpstrDefExt = L"cfg";
    open.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (GetOpenFileNameW(&open))
        settings_.cardConfigFile = file.data();
    UpdateData(false);
}

bool CPropPageGeneral::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_GEN_RECORD_RULE:
    case IDC_GEN_USE_CONFIG:
        EnableControls();
        return true;
    case IDC_GEN_CARD_BROWSE:
        BrowseCardFolder();
        return true;
    case IDC_GEN_RECORD_BROWSE:
        BrowseFolder(settings_.defaultRecordPath, L"録画ファイルの保存場所の指定");
        return true;
    case IDC_GEN_IMAGE_BROWSE:
        BrowseFolder(settings_.imagePath, L"静止画ファイルの保存場所の指定");
        return true;
    case IDC_GEN_CONFIG_BROWSE:
        BrowseConfigFile();
        return true;
    default:
        return false;
    }
}
