// A toolbar loaded from a toolbar resource (button size and command ids) and the
// bitmap of the same id, whose light grey (192,192,192) is transparent.
#pragma once

#include "ControlBar.h"

#include <commctrl.h>

#include <vector>

class FwToolBar : public FwControlBar {
public:
    ~FwToolBar() override;

    bool Create(FwFrameWnd& frame, unsigned id, DockSide side);
    bool LoadToolBar(unsigned resourceId);

    HWND Control() const { return toolbar_; }
    const std::vector<unsigned>& Commands() const { return commands_; }

    int Thickness(DockSide side) const override;
    void UpdateCmdUI(const std::function<void(FwCmdUI&)>& route) override;

protected:
    void LayOutContent(const RECT& content, DockSide side) override;

private:
    HWND toolbar_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::vector<unsigned> commands_;  // 0 for a separator
};
