// The status line at the bottom of the frame: a message pane that takes the spare
// width, then panes whose width fits the text of their string resource and whose
// text the update handlers set at idle.
#pragma once

#include "ControlBar.h"

#include <string>
#include <vector>

class FwStatusBar : public FwControlBar {
public:
    bool Create(FwFrameWnd& frame, unsigned id);
    // Pane ids after the message pane.
    bool SetIndicators(const std::vector<unsigned>& paneIds);

    HWND Control() const { return status_; }
    void SetMessageText(const std::wstring& text);
    std::wstring PaneText(int index) const;

    int Thickness(DockSide side) const override;
    void UpdateCmdUI(const std::function<void(FwCmdUI&)>& route) override;

protected:
    void LayOutContent(const RECT& content, DockSide side) override;

private:
    struct Pane {
        unsigned id;
        int width;
        std::wstring text;
    };
    void SetPaneText(int index, const std::wstring& text);

    HWND status_ = nullptr;
    std::vector<Pane> panes_;  // without the message pane
};
