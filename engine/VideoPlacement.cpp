#include "VideoPlacement.h"

#include "VideoGeometry.h"

#include "dshowbase/MediaType.h"

#include <cstdlib>

using Microsoft::WRL::ComPtr;

namespace {

HWND TopLevelOf(HWND window)
{
    while (window && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        window = GetParent(window);
    return window;
}

}  // namespace

void VideoPlacement::Show(int aspectMode)
{
    IVideoWindow* window = parts_.videoWindow.Get();
    window->put_Owner(reinterpret_cast<OAHWND>(view_));
    window->put_WindowStyle(WS_CHILD);
    window->put_MessageDrain(reinterpret_cast<OAHWND>(view_));
    Place(aspectMode);
    window->put_Visible(OATRUE);
}

void VideoPlacement::Release(int aspectMode)
{
    if (!parts_.videoWindow)
        return;
    if (IsFullScreen())
        LeaveFullScreen(aspectMode);
    // Hidden before it loses its owner, so it never shows as a window of its own.
    parts_.videoWindow->put_Visible(OAFALSE);
    parts_.videoWindow->put_Owner(0);
    parts_.videoWindow.Reset();
}

void VideoPlacement::Place(int aspectMode)
{
    IVideoWindow* window = parts_.videoWindow.Get();
    RECT client{};
    // A view that has gone (at shutdown) has no client area to place into.
    if (!window || !view_ || !GetClientRect(view_, &client))
        return;
    const engine::Box box = engine::FitBox(client.right, client.bottom, aspectMode);

    HWND videoChild = GetWindow(view_, GW_CHILD);
    if (videoChild)
        EnableWindow(videoChild, TRUE);
    window->put_Visible(OAFALSE);
    window->SetWindowPosition(box.left, box.top, box.width, box.height);

    ComPtr<IBasicVideo> video;
    if (SUCCEEDED(parts_.graph.As(&video))) {
        long w = 0, h = 0;
        video->GetVideoSize(&w, &h);
        engine::Box source{};
        if (engine::CroppedSource(w, h, aspectMode, source))
            video->SetSourcePosition(source.left, source.top, source.width, source.height);
        else
            video->SetDefaultSourcePosition();
        video->SetDefaultDestinationPosition();
        long left = 0, top = 0, width = 0, height = 0;
        video->GetDestinationPosition(&left, &top, &width, &height);
        const engine::Box destination =
            aspectMode == 0 ? engine::Box{0, 0, box.width, box.height} : engine::FitBox(width, height, aspectMode);
        video->SetDestinationPosition(destination.left, destination.top, destination.width, destination.height);
    }
    window->SetWindowForeground(OATRUE);
    window->put_Visible(OATRUE);
    if (videoChild)
        EnableWindow(videoChild, FALSE);
}

bool VideoPlacement::VideoBoxSize(int aspectMode, int scaleMode, SIZE& size) const
{
    if (!parts_.builder || !parts_.captureFilter)
        return false;
    ComPtr<IAMStreamConfig> config;
    if (FAILED(parts_.builder->FindInterface(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, parts_.captureFilter.Get(),
                                             IID_IAMStreamConfig, reinterpret_cast<void**>(config.GetAddressOf()))))
        return false;
    AM_MEDIA_TYPE* format = nullptr;
    if (FAILED(config->GetFormat(&format)) || !format)
        return false;
    CMediaType type;
    type.Adopt(format);
    int width = 0, height = 0;
    if (type.formattype == FORMAT_VideoInfo && type.pbFormat && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const BITMAPINFOHEADER& bits = reinterpret_cast<VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
        width = std::abs(bits.biWidth);
        height = std::abs(bits.biHeight);
    }
    const engine::Size box = engine::VideoBoxSize(width, height, aspectMode, scaleMode);
    size = {box.width, box.height};
    return true;
}

void VideoPlacement::Fit(bool force, int aspectMode, int scaleMode, int& resizing)
{
    if (!parts_.videoWindow || !view_)
        return;
    HWND top = TopLevelOf(view_);
    if (!force && (IsZoomed(top) || aspectMode == 0 || scaleMode == 0)) {
        Place(aspectMode);
        return;
    }
    SIZE box;
    if (!VideoBoxSize(aspectMode, scaleMode, box))
        return;
    HWND parent = GetParent(view_);
    RECT parentRect{}, viewClient{};
    if (!GetWindowRect(parent, &parentRect) || !GetClientRect(view_, &viewClient))
        return;
    const int width = box.cx + (parentRect.right - parentRect.left) - viewClient.right;
    const int height = box.cy + (parentRect.bottom - parentRect.top) - viewClient.bottom;
    resizing = 1;
    SetWindowPos(parent, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
    resizing = 0;
    // A window that had the size already gets no size message to place the video.
    RECT after{};
    if (GetClientRect(view_, &after) && after.right == viewClient.right && after.bottom == viewClient.bottom)
        Place(aspectMode);
}

bool VideoPlacement::Constrain(int edge, int aspectMode, SIZE& area) const
{
    if (!parts_.videoWindow || aspectMode == 0)
        return false;
    engine::Size size{area.cx, area.cy};
    if (!engine::ConstrainVideoArea(edge, aspectMode, size))
        return false;
    area = {size.width, size.height};
    return true;
}

bool VideoPlacement::IsFullScreen() const
{
    long mode = OAFALSE;
    return parts_.videoWindow && SUCCEEDED(parts_.videoWindow->get_FullScreenMode(&mode)) && mode == OATRUE;
}

// Back from full screen: the video window is the view's child again.
void VideoPlacement::ReattachVideoWindow(int aspectMode)
{
    if (HWND child = GetWindow(view_, GW_CHILD)) {
        LONG style = GetWindowLongW(child, GWL_STYLE);
        style &= ~(WS_POPUP | WS_CHILD | WS_CLIPCHILDREN);
        SetWindowLongW(child, GWL_STYLE, style | WS_CHILD);
    }
    Place(aspectMode);
    if (HWND parent = GetParent(view_))
        SetActiveWindow(parent);
}

void VideoPlacement::LeaveFullScreen(int aspectMode)
{
    parts_.videoWindow->put_FullScreenMode(OAFALSE);
    ReattachVideoWindow(aspectMode);
}

HRESULT VideoPlacement::SetFullScreen(bool on, int aspectMode)
{
    if (!parts_.videoWindow)
        return E_FAIL;
    const HRESULT hr = parts_.videoWindow->put_FullScreenMode(on ? OATRUE : OAFALSE);
    if (on)
        Place(aspectMode);
    else
        ReattachVideoWindow(aspectMode);
    return hr;
}
