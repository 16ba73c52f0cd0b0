#include "PropPagePreview.h"

#include "../framework/DialogItems.h"
#include "../resources/tavrik/resource.h"
#include "FailureMessage.h"
#include "PriorityCombo.h"
#include "dshowbase/PropertyFrame.h"
#include "engine/DeviceLists.h"
#include "profiles/CurrentProfiles.h"
#include "profiles/ProfileFile.h"

CPropPagePreview::CPropPagePreview(std::function<bool()> isPreviewing, HWND mainWindow)
    : FwPropertyPage(IDD_PAGE_PREVIEW),
      isPreviewing_(std::move(isPreviewing)),
      mainWindow_(mainWindow),
      filter_(IDC_PRV_FILTER, NullVideoDisplayName())
{
}

bool CPropPagePreview::OnInitDialog()
{
    previewingAtStart_ = isPreviewing_();
    std::vector<FilterEntry> found;
    ListMatchingFilters({MEDIATYPE_Video, GUID_NULL}, {MEDIATYPE_Video, GUID_NULL}, found);
    filter_.Fill(Handle(), std::move(found));
    filter_.MakeNullCurrent();
    FillPriorityCombo(Handle());
    LoadProfile();
    EnableControls();
    return true;
}

void CPropPagePreview::LoadProfile()
{
    ProfileFile file;
    if (FAILED(file.Open(profilePath)))
        return;
    PreviewOptions options;
    if (SUCCEEDED(file.ReadPreviewOptions(options))) {
        CheckItem(Handle(), IDC_PRV_DEINTERLACE, options.deinterlaceInterlacedModes != 0);
        CheckItem(Handle(), IDC_PRV_WHILE_RECORDING, options.deinterlaceWhileRecording != 0);
        CheckItem(Handle(), IDC_PRV_INFTEE, options.infTeeForAudio != 0);
        SelectPriority(Handle(), options.priorityClass);
    }
    std::vector<FilterEntry> filters;
    const HRESULT hr = file.ReadPreviewFilters(true, filters);
    file.Close();
    // A stored filter that cannot be created gives way to the null entry, so that the
    // page can be left while the filter combo is disabled.
    if (FAILED(hr))
        ShowFailure(L"保存されたデインターレースフィルターを作成できません。「無圧縮」に変更します。", hr,
                    MB_ICONINFORMATION);
    if (filters.empty())
        return;
    filter_.SetCurrent(std::move(filters.front()));
    filter_.SelectCurrentInCombo();
}

void CPropPagePreview::EnableControls()
{
    const bool deinterlace = IsItemChecked(Handle(), IDC_PRV_DEINTERLACE);
    for (int id : {IDC_PRV_FILTER_LABEL, IDC_PRV_FILTER, IDC_PRV_WHILE_RECORDING})
        EnableItem(Handle(), id, deinterlace);
    EnableItem(Handle(), IDC_PRV_FILTER_SETTINGS, deinterlace && HasPropertyPages(filter_.Filter()));
    EnableItem(Handle(), IDC_PRV_RESTART, previewingAtStart_);
}

bool CPropPagePreview::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDC_PRV_DEINTERLACE:
        EnableControls();
        return true;
    case IDC_PRV_FILTER:
        if (code != CBN_SELCHANGE)
            return false;
        filter_.OnSelectionChange();
        EnableControls();
        return true;
    case IDC_PRV_FILTER_SETTINGS:
        ShowPropertyFrame(filter_.Filter(), Handle());
        return true;
    case IDC_PRV_RESTART:
        Restart();
        return true;
    default:
        return false;
    }
}

bool CPropPagePreview::OnKillActive()
{
    if (filter_.Acceptable())
        return true;
    RefuseIncompleteFilters();
    return false;
}

bool CPropPagePreview::WriteProfile()
{
    PreviewProfile profile;
    profile.options.deinterlaceInterlacedModes = IsItemChecked(Handle(), IDC_PRV_DEINTERLACE);
    profile.options.deinterlaceWhileRecording = IsItemChecked(Handle(), IDC_PRV_WHILE_RECORDING);
    profile.options.infTeeForAudio = IsItemChecked(Handle(), IDC_PRV_INFTEE);
    profile.options.priorityClass = SelectedPriority(Handle());
    if (const FilterEntry* current = filter_.Current())
        profile.filters.push_back(*current);
    const HRESULT hr = WritePreviewProfile(profilePath, profile);
    if (FAILED(hr))
        ShowFailure(L"プレビュー設定の保存に失敗しました。", hr);
    return SUCCEEDED(hr);
}

void CPropPagePreview::OnOK()
{
    WriteProfile();
}

void CPropPagePreview::Restart()
{
    if (!WriteProfile())
        return;
    // The preview command stops a running preview and starts a stopped one.
    if (isPreviewing_())
        SendMessageW(mainWindow_, WM_COMMAND, ID_PREVIEW, 0);
    if (!isPreviewing_())
        SendMessageW(mainWindow_, WM_COMMAND, ID_PREVIEW, 0);
}
