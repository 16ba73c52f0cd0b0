// "出力フォーマットの選択": one output format among the candidates.
#pragma once

#include "../framework/Dialog.h"
#include "profiles/core/AudioFormatList.h"

#include <vector>

class CAudioFormatDetailDlg : public FwDialog {
public:
    CAudioFormatDetailDlg(const std::vector<AudioFormatPair>& candidates, int preselected);

    int Chosen() const { return chosen_; }

protected:
    bool OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const std::vector<AudioFormatPair>& candidates_;
    int chosen_;
};
