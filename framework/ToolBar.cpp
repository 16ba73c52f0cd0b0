#include "ToolBar.h"

#include <commctrl.h>

namespace {

constexpr WORD kToolbarResourceType = 241;
constexpr COLORREF kTransparent = RGB(192, 192, 192);

// The toolbar resource: version 1, button width and height, count, then the ids.
struct ToolbarResource {
    WORD version;
    WORD width;
    WORD height;
    WORD count;
    WORD items[1];
};

class ToolButtonCmdUI : public FwCmdUI {
public:
    ToolButtonCmdUI(HWND toolbar, unsigned id) : FwCmdUI(id), toolbar_(toolbar) {}
    void Enable(bool enabled) override { SendMessageW(toolbar_, TB_ENABLEBUTTON, Id(), MAKELPARAM(enabled, 0)); }
    void SetCheck(bool checked) override { SendMessageW(toolbar_, TB_CHECKBUTTON, Id(), MAKELPARAM(checked, 0)); }
    void SetText(const std::wstring&) override {}

private:
    HWND toolbar_;
};

}  // namespace

FwToolBar::~FwToolBar()
{
    if (images_)
        ImageList_Destroy(images_);
}

bool FwToolBar::Create(FwFrameWnd& frame, unsigned id, DockSide side)
{
    if (!CreateBar(frame, id, side, true))
        return false;
    toolbar_ = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0,
        0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!toolbar_)
        return false;
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return true;
}

bool FwToolBar::LoadToolBar(unsigned resourceId)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(kToolbarResourceType));
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    const auto* resource =
        found ? static_cast<const ToolbarResource*>(LockResource(LoadResource(instance, found))) : nullptr;
    if (!resource || size < 8 || resource->version != 1 || size < 8u + 2u * resource->count)
        return false;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return false;
    images_ = ImageList_Create(resource->width, resource->height, ILC_COLOR24 | ILC_MASK, resource->count, 0);
    const bool added = images_ && ImageList_AddMasked(images_, bitmap, kTransparent) >= 0;
    DeleteObject(bitmap);
    if (!added)
        return false;
    SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(resource->width, resource->height));
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));

    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (WORD i = 0; i < resource->count; ++i) {
        TBBUTTON button{};
        button.idCommand = resource->items[i];
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = button.idCommand ? BTNS_BUTTON : BTNS_SEP;
        button.iBitmap = button.idCommand ? image++ : 0;
        buttons.push_back(button);
        commands_.push_back(resource->items[i]);
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    return true;
}

int FwToolBar::Thickness(DockSide side) const
{
    const DWORD buttonSize = static_cast<DWORD>(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0));
    constexpr int kMargin = 4;
    return (IsHorizontal(side) ? HIWORD(buttonSize) : LOWORD(buttonSize)) + kMargin;
}

void FwToolBar::LayOutContent(const RECT& content, DockSide side)
{
    // Standing on a left or right side, every button ends a row of its own.
    const bool vertical = !IsHorizontal(side);
    LONG_PTR style = GetWindowLongPtrW(toolbar_, GWL_STYLE);
    style = vertical ? (style | CCS_VERT) : (style & ~static_cast<LONG_PTR>(CCS_VERT));
    SetWindowLongPtrW(toolbar_, GWL_STYLE, style);
    for (size_t i = 0; i < commands_.size(); ++i) {
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        SendMessageW(toolbar_, TB_GETBUTTONINFOW, i, reinterpret_cast<LPARAM>(&info));
        info.fsState = vertical ? (info.fsState | TBSTATE_WRAP) : (info.fsState & ~TBSTATE_WRAP);
        SendMessageW(toolbar_, TB_SETBUTTONINFOW, i, reinterpret_cast<LPARAM>(&info));
    }
    constexpr int kInset = 2;
    MoveWindow(toolbar_, content.left + kInset, content.top + kInset, content.right - content.left - 2 * kInset,
               content.bottom - content.top - 2 * kInset, TRUE);
}

void FwToolBar::UpdateCmdUI(const std::function<void(FwCmdUI&)>& route)
{
    for (unsigned id : commands_) {
        if (!id)
            continue;
        ToolButtonCmdUI button(toolbar_, id);
        route(button);
    }
}
