#include "AudioFormatDetailDlg.h"

#include "../resources/tavrik/resource.h"
#include "engine/AudioOutputFormat.h"

CAudioFormatDetailDlg::CAudioFormatDetailDlg(const std::vector<AudioFormatPair>& candidates, int preselected)
    : FwDialog(IDD_AUDIO_FORMAT_DETAIL),
      candidates_(candidates),
      chosen_(preselected)
{
}

bool CAudioFormatDetailDlg::OnInitDialog()
{
    for (const AudioFormatPair& candidate : candidates_) {
        const std::wstring text =
            candidate.outputText.empty() ? DescribeAudioFormat(candidate.output) : candidate.outputText;
        SendDlgItemMessageW(Handle(), IDC_AUD_CANDIDATES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendDlgItemMessageW(Handle(), IDC_AUD_CANDIDATES, LB_SETCURSEL, static_cast<WPARAM>(chosen_), 0);
    return true;
}

INT_PTR CAudioFormatDetailDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COMMAND)
        return FALSE;
    const bool chosen =
        LOWORD(wParam) == IDOK || (LOWORD(wParam) == IDC_AUD_CANDIDATES && HIWORD(wParam) == LBN_DBLCLK);
    if (!chosen)
        return FwDialog::OnMessage(message, wParam, lParam);
    const LRESULT selection = SendDlgItemMessageW(Handle(), IDC_AUD_CANDIDATES, LB_GETCURSEL, 0, 0);
    if (selection == LB_ERR)
        return TRUE;
    chosen_ = static_cast<int>(selection);
    EndDialog(Handle(), IDOK);
    return TRUE;
}
