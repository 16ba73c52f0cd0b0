// "オーディオフォーマットの設定": the output format chosen for each input format
// of one audio compressor.
#pragma once

#include "../framework/Dialog.h"
#include "profiles/core/AudioFormatList.h"
#include "profiles/FilterEntry.h"

#include <vector>

class CAudioFormatDlg : public FwDialog {
public:
    CAudioFormatDlg(FilterEntry compressor, std::vector<AudioFormatPair> formats);

    const std::vector<AudioFormatPair>& Formats() const { return formats_; }

protected:
    bool OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND List() const;
    int SelectedRow() const;
    void AddColumns();
    void RefreshOutputs();
    void EnableChange();
    void ChangeFormat();
    void RestoreDefaults();

    FilterEntry compressor_;
    std::vector<AudioFormatPair> formats_;
};

// The no-format text of the output column and of the refusal.
inline constexpr wchar_t kNoOutputFormatText[] = L"この入力フォーマットに対応したフォーマットはありません";
