// Where the video window sits inside the view, the main window's fit to the
// video, sizing in the aspect ratio, and full-screen mode.
#include "CaptureGraph.h"

#include "VideoGeometry.h"

using Microsoft::WRL::ComPtr;

namespace {

HWND TopLevelOf(HWND window)
{
    while (window && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        window = GetParent(window);
    return window;
}

}  // namespace

void CCaptureGraph::PlaceVideo()
{
    if (!videoWindow_ || !viewWindow)
        return;
    RECT client;
    GetClientRect(viewWindow, &client);
    const engine::Box box = engine::FitBox(client.right, client.bottom, aspectMode);

    HWND videoChild = GetWindow(viewWindow, GW_CHILD);
    if (videoChild)
        EnableWindow(videoChild, TRUE);
    videoWindow_->put_Visible(OAFALSE);
    videoWindow_->SetWindowPosition(box.left, box.top, box.width, box.height);

    ComPtr<IBasicVideo> video;
    if (SUCCEEDED(graph_.As(&video))) {
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
        const engine::Box destination = aspectMode == 0 ? engine::Box{0, 0, box.width, box.height}
                                                        : engine::FitBox(width, height, aspectMode);
        video->SetDestinationPosition(destination.left, destination.top, destination.width, destination.height);
    }
    videoWindow_->SetWindowForeground(OATRUE);
    videoWindow_->put_Visible(OATRUE);
    if (videoChild)
        EnableWindow(videoChild, FALSE);
}

bool CCaptureGraph::GetVideoBoxSize(SIZE& size)
{
    if (!builder_ || !captureFilter_)
        return false;
    ComPtr<IAMStreamConfig> config;
    if (FAILED(builder_->FindInterface(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, captureFilter_.Get(),
                                       IID_IAMStreamConfig, reinterpret_cast<void**>(config.GetAddressOf()))))
        return false;
    AM_MEDIA_TYPE* type = nullptr;
    if (FAILED(config->GetFormat(&type)) || !type)
        return false;
    int width = 0, height = 0;
    if (type->formattype == FORMAT_VideoInfo && type->pbFormat && type->cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const BITMAPINFOHEADER& bits = reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat)->bmiHeader;
        width = std::abs(bits.biWidth);
        height = std::abs(bits.biHeight);
    }
    if (type->cbFormat)
        CoTaskMemFree(type->pbFormat);
    if (type->pUnk)
        type->pUnk->Release();
    CoTaskMemFree(type);
    const engine::Size box = engine::VideoBoxSize(width, height, aspectMode, scaleMode);
    size = {box.width, box.height};
    return true;
}

void CCaptureGraph::FitWindow(bool force)
{
    if (!videoWindow_ || !viewWindow)
        return;
    HWND top = TopLevelOf(viewWindow);
    if (!force && (IsZoomed(top) || aspectMode == 0 || scaleMode == 0)) {
        PlaceVideo();
        return;
    }
    SIZE box;
    if (!GetVideoBoxSize(box))
        return;
    HWND parent = GetParent(viewWindow);
    RECT parentRect, viewClient;
    GetWindowRect(parent, &parentRect);
    GetClientRect(viewWindow, &viewClient);
    const int width = box.cx + (parentRect.right - parentRect.left) - viewClient.right;
    const int height = box.cy + (parentRect.bottom - parentRect.top) - viewClient.bottom;
    resizing = 1;
    SetWindowPos(parent, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
    resizing = 0;
}

bool CCaptureGraph::ConstrainSizing(int edge, SIZE& area)
{
    if (!videoWindow_ || aspectMode == 0)
        return false;
    engine::Size size{area.cx, area.cy};
    if (!engine::ConstrainVideoArea(edge, aspectMode, size))
        return false;
    area = {size.width, size.height};
    return true;
}

void CCaptureGraph::SetAspectMode(int mode)
{
    aspectMode = mode;
    if (!IsFullScreen())
        FitWindow(false);
    PlaceVideo();
}

void CCaptureGraph::SetScaleMode(int mode)
{
    const bool changed = mode != scaleMode;
    scaleMode = mode;
    if (changed && mode != 0)
        FitWindow(false);
}

bool CCaptureGraph::IsFullScreen()
{
    long mode = OAFALSE;
    return videoWindow_ && SUCCEEDED(videoWindow_->get_FullScreenMode(&mode)) && mode == OATRUE;
}

// Back from full screen: the video window is the view's child again.
void CCaptureGraph::ReattachVideoWindow()
{
    if (HWND child = GetWindow(viewWindow, GW_CHILD)) {
        LONG style = GetWindowLongW(child, GWL_STYLE);
        style &= ~(WS_POPUP | WS_CHILD | WS_CLIPCHILDREN);
        SetWindowLongW(child, GWL_STYLE, style | WS_CHILD);
    }
    PlaceVideo();
    if (HWND parent = GetParent(viewWindow))
        SetActiveWindow(parent);
}

void CCaptureGraph::LeaveFullScreen()
{
    videoWindow_->put_FullScreenMode(OAFALSE);
    ReattachVideoWindow();
}

HRESULT CCaptureGraph::SetFullScreen(bool on)
{
    if (!videoWindow_)
        return E_FAIL;
    const HRESULT hr = videoWindow_->put_FullScreenMode(on ? OATRUE : OAFALSE);
    if (on)
        PlaceVideo();
    else
        ReattachVideoWindow();
    return hr;
}
