#include "AudioFormatDlg.h"

#include "../framework/DialogItems.h"
#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "AudioFormatDetailDlg.h"
#include "AudioFormatProbe.h"
#include "core/AudioFormatDefaults.h"

#include <commctrl.h>

namespace {

constexpr int kInputColumn = 0;
constexpr int kOutputColumn = 1;
constexpr int kColumnMargin = 16;

const wchar_t* OutputText(const AudioFormatPair& pair)
{
    return pair.outputText.empty() ? kNoOutputFormatText : pair.outputText.c_str();
}

}  // namespace

CAudioFormatDlg::CAudioFormatDlg(FilterEntry compressor, std::vector<AudioFormatPair> formats)
    : FwDialog(IDD_AUDIO_FORMAT),
      compressor_(std::move(compressor)),
      formats_(std::move(formats))
{
}

HWND CAudioFormatDlg::List() const
{
    return GetDlgItem(Handle(), IDC_AUD_LIST);
}

int CAudioFormatDlg::SelectedRow() const
{
    return ListView_GetNextItem(List(), -1, LVNI_SELECTED);
}

void CAudioFormatDlg::AddColumns()
{
    wchar_t inputTitle[] = L"入力フォーマット";
    wchar_t outputTitle[] = L"出力フォーマット";
    const int inputWidth = ListView_GetStringWidth(List(), inputTitle) + kColumnMargin;
    RECT client{};
    GetClientRect(List(), &client);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = inputTitle;
    column.cx = inputWidth;
    ListView_InsertColumn(List(), kInputColumn, &column);
    column.pszText = outputTitle;
    column.cx = client.right - inputWidth;
    ListView_InsertColumn(List(), kOutputColumn, &column);
}

bool CAudioFormatDlg::OnInitDialog()
{
    SetDlgItemTextW(Handle(), IDC_AUD_COMPRESSOR, compressor_.friendlyName.c_str());
    ListView_SetExtendedListViewStyle(List(), LVS_EX_FULLROWSELECT);
    AddColumns();
    for (size_t row = 0; row < formats_.size(); ++row) {
        std::wstring input = settingsui::InputFormatText(formats_[row].input);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = input.data();
        ListView_InsertItem(List(), &item);
    }
    RefreshOutputs();
    if (!formats_.empty())
        ListView_SetItemState(List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnableChange();
    return true;
}

void CAudioFormatDlg::RefreshOutputs()
{
    for (size_t row = 0; row < formats_.size(); ++row)
        ListView_SetItemText(List(), static_cast<int>(row), kOutputColumn,
                             const_cast<wchar_t*>(OutputText(formats_[row])));
}

void CAudioFormatDlg::EnableChange()
{
    const int row = SelectedRow();
    EnableItem(Handle(), IDC_AUD_CHANGE,
               row >= 0 && static_cast<size_t>(row) < formats_.size() && !formats_[row].output.empty());
}

void CAudioFormatDlg::ChangeFormat()
{
    const int row = SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= formats_.size())
        return;
    AudioFormatPair& pair = formats_[static_cast<size_t>(row)];
    const std::vector<AudioFormatPair> candidates = ListOutputCandidates(compressor_, pair.input);
    if (candidates.empty()) {
        FwMessageBox(kNoOutputFormatText, MB_ICONINFORMATION);
        return;
    }
    int preselected = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].output == pair.output)
            preselected = static_cast<int>(i);
    }
    CAudioFormatDetailDlg detail(candidates, preselected);
    if (detail.DoModal(Handle()) != IDOK)
        return;
    const AudioFormatPair& chosen = candidates[static_cast<size_t>(detail.Chosen())];
    pair.output = chosen.output;
    pair.outputText = chosen.outputText;
    ListView_SetItemText(List(), row, kOutputColumn, const_cast<wchar_t*>(OutputText(pair)));
    EnableChange();
}

void CAudioFormatDlg::RestoreDefaults()
{
    if (FwMessageBox(L"出力フォーマットを初期値に戻しますか？", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    BuildDefaultAudioFormatList(formats_, compressor_);
    RefreshOutputs();
    EnableChange();
}

INT_PTR CAudioFormatDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_AUD_CHANGE:
            ChangeFormat();
            return TRUE;
        case IDC_AUD_DEFAULTS:
            RestoreDefaults();
            return TRUE;
        default:
            break;
        }
    }
    if (message == WM_NOTIFY) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.idFrom == IDC_AUD_LIST && header.code == LVN_ITEMCHANGED) {
            EnableChange();
            return TRUE;
        }
        if (header.idFrom == IDC_AUD_LIST && header.code == NM_DBLCLK) {
            ChangeFormat();
            return TRUE;
        }
    }
    return FwDialog::OnMessage(message, wParam, lParam);
}
