#include "StatusBar.h"

#include "Resources.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr int kPaneMargin = 10;

class StatusPaneCmdUI : public FwCmdUI {
public:
    StatusPaneCmdUI(unsigned id, std::wstring text) : FwCmdUI(id), text_(std::move(text)) {}
    void Enable(bool enabled) override { enabled_ = enabled; }
    void SetCheck(bool) override {}
    void SetText(const std::wstring& text) override { text_ = text; }
    // A disabled pane shows nothing.
    std::wstring Shown() const { return enabled_ ? text_ : std::wstring(); }

private:
    bool enabled_ = true;
    std::wstring text_;
};

int TextWidth(HWND control, const std::wstring& text)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

}  // namespace

bool FwStatusBar::Create(FwFrameWnd& frame, unsigned id)
{
    if (!CreateBar(frame, id, DockSide::Bottom, false))
        return false;
    status_ = CreateWindowExW(
        0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, 0, 0,
        0, Handle(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    return status_ != nullptr;
}

bool FwStatusBar::SetIndicators(const std::vector<unsigned>& paneIds)
{
    panes_.clear();
    for (unsigned id : paneIds) {
        const std::wstring text = LoadResString(id);
        if (text.empty())
            return false;
        panes_.push_back({id, TextWidth(status_, text) + kPaneMargin, std::wstring()});
    }
    return true;
}

void FwStatusBar::SetMessageText(const std::wstring& text)
{
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring FwStatusBar::PaneText(int index) const
{
    const LRESULT length = SendMessageW(status_, SB_GETTEXTLENGTHW, index, 0);
    std::vector<wchar_t> buffer(LOWORD(length) + 1u);
    SendMessageW(status_, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

void FwStatusBar::SetPaneText(int index, const std::wstring& text)
{
    Pane& pane = panes_[static_cast<size_t>(index - 1)];
    if (pane.text == text)
        return;
    pane.text = text;
    SendMessageW(status_, SB_SETTEXTW, index, reinterpret_cast<LPARAM>(text.c_str()));
}

int FwStatusBar::Thickness(DockSide) const
{
    TEXTMETRICW metrics{};
    HDC dc = GetDC(status_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(status_, WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(status_, dc);
    constexpr int kBorders = 8;
    return metrics.tmHeight + kBorders;
}

void FwStatusBar::LayOutContent(const RECT& content, DockSide)
{
    MoveWindow(status_, content.left, content.top, content.right - content.left, content.bottom - content.top, TRUE);
    std::vector<int> rightEdges(panes_.size() + 1);
    int right = content.right - content.left;
    for (size_t i = panes_.size(); i > 0; --i) {
        rightEdges[i] = right;
        right -= panes_[i - 1].width;
    }
    rightEdges[0] = right > 0 ? right : 0;
    SendMessageW(status_, SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
    for (size_t i = 0; i < panes_.size(); ++i)
        SendMessageW(status_, SB_SETTEXTW, i + 1, reinterpret_cast<LPARAM>(panes_[i].text.c_str()));
}

void FwStatusBar::UpdateCmdUI(const std::function<void(FwCmdUI&)>& route)
{
    for (size_t i = 0; i < panes_.size(); ++i) {
        StatusPaneCmdUI pane(panes_[i].id, panes_[i].text);
        route(pane);
        SetPaneText(static_cast<int>(i + 1), pane.Shown());
    }
}
