#include "MuxAvi1Page.h"

#include "../../resources/trelvox/resource.h"
#include "PageControls.h"
#include "PageText.h"

using namespace trelvox;

MuxAvi1Page::MuxAvi1Page(LPUNKNOWN outer) : MuxSettingsPage(L"Mux AVI 1 page", outer, IDD_MUX_AVI1, IDS_MUX_AVI1_TITLE)
{
}

HRESULT MuxAvi1Page::ReadSettings()
{
    Values v;
    const HRESULT results[] = {
        target_->GetMaxFiles(&v.maxFiles),
        target_->GetMaxFileSize(&v.maxFileSize),
        target_->GetFirstFrameNotDropped(&v.firstFrameNotDropped),
        target_->GetSplitMode(&v.splitMode),
        target_->GetSplitCounts(&v.splitCountVideo, &v.splitCountAudio),
    };
    for (HRESULT hr : results) {
        if (FAILED(hr))
            return hr;
    }
    values_ = v;
    return S_OK;
}

void MuxAvi1Page::FillControls()
{
    const Values& v = values_;
    SetItemText(m_hwnd, IDC_MAX_FILES, FormatUnsigned(v.maxFiles));
    SetItemText(m_hwnd, IDC_MAX_FILE_SIZE, FormatUnsigned(v.maxFileSize));
    SetItemChecked(m_hwnd, IDC_FIRST_FRAME_NOT_DROPPED, v.firstFrameNotDropped);
    FillList(m_hwnd, IDC_SPLIT_MODE, IDS_SPLIT_MODE_FIRST, 3);
    SelectListItem(m_hwnd, IDC_SPLIT_MODE, v.splitMode);
    SetItemText(m_hwnd, IDC_SPLIT_COUNT_VIDEO, FormatUnsigned(v.splitCountVideo));
    SetItemText(m_hwnd, IDC_SPLIT_COUNT_AUDIO, FormatUnsigned(v.splitCountAudio));
}

// A number box that holds no valid number keeps the value it had.
void MuxAvi1Page::ReadControls()
{
    Values& v = values_;
    v.maxFiles = ParseUnsigned(ItemText(m_hwnd, IDC_MAX_FILES)).value_or(v.maxFiles);
    v.maxFileSize = ParseUnsigned(ItemText(m_hwnd, IDC_MAX_FILE_SIZE)).value_or(v.maxFileSize);
    v.firstFrameNotDropped = IsItemChecked(m_hwnd, IDC_FIRST_FRAME_NOT_DROPPED);
    v.splitMode = SelectedListItem(m_hwnd, IDC_SPLIT_MODE, v.splitMode);
    v.splitCountVideo = ParseUnsigned(ItemText(m_hwnd, IDC_SPLIT_COUNT_VIDEO)).value_or(v.splitCountVideo);
    v.splitCountAudio = ParseUnsigned(ItemText(m_hwnd, IDC_SPLIT_COUNT_AUDIO)).value_or(v.splitCountAudio);
}

HRESULT MuxAvi1Page::WriteSettings()
{
    const Values& v = values_;
    HRESULT hr = target_->SetMaxFiles(v.maxFiles);
    if (SUCCEEDED(hr))
        hr = target_->SetMaxFileSize(v.maxFileSize);
    if (SUCCEEDED(hr))
        hr = target_->SetSplitCounts(v.splitCountVideo, v.splitCountAudio);
    if (SUCCEEDED(hr))
        hr = target_->SetFirstFrameNotDropped(v.firstFrameNotDropped);
    if (SUCCEEDED(hr))
        hr = target_->SetSplitMode(v.splitMode);
    return hr;
}
