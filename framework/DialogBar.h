// A bar whose content is a child dialog made from a dialog template.
#pragma once

#include "ControlBar.h"

#include <string>

class FwDialogBar : public FwControlBar {
public:
    bool Create(FwFrameWnd& frame, unsigned templateId, unsigned id, DockSide side);

    HWND Dialog() const { return dialog_; }
    void SetItemText(int itemId, const std::wstring& text);
    std::wstring ItemText(int itemId) const;

    int Thickness(DockSide side) const override;

protected:
    void LayOutContent(const RECT& content, DockSide side) override;

private:
    HWND dialog_ = nullptr;
    SIZE size_{};
};
