// Shows each of Trelvox's property pages in a visible window and saves what the screen
// shows of it as <folder>\page-<n>.bmp, for looking at the pages by eye:
//   page_shots.exe <folder>
#include <windows.h>
#include <ocidl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "MuxGraphSupport.h"
#include "MuxGuids.h"

namespace {

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

bool SaveBitmap(HWND window, const std::wstring& path)
{
    // The client area: the window manager, not Wine, draws the frame under X.
    RECT rect;
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    FILE* out = _wfopen(path.c_str(), L"wb");
    bool written = false;
    if (out) {
        written = fwrite(&file, sizeof file, 1, out) == 1 &&
                  fwrite(&info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, out) == 1 &&
                  fwrite(bits, imageSize, 1, out) == 1;
        fclose(out);
    }
    DeleteObject(bitmap);
    return written;
}

bool ShootPage(IUnknown* filter, REFCLSID clsid, const std::wstring& path)
{
    ComPtr<IPropertyPage> page;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page))))
        return false;
    if (FAILED(page->SetObjects(1, &filter)))
        return false;
    PROPPAGEINFO info{};
    page->GetPageInfo(&info);
    RECT frameRect{0, 0, info.size.cx, info.size.cy};
    AdjustWindowRect(&frameRect, WS_OVERLAPPEDWINDOW, FALSE);
    HWND frame = CreateWindowExW(0, L"STATIC", info.pszTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                 frameRect.right - frameRect.left, frameRect.bottom - frameRect.top, nullptr, nullptr,
                                 nullptr, nullptr);
    CoTaskMemFree(info.pszTitle);
    // A plain dialog-coloured background, as a property frame has.
    SetClassLongPtrW(frame, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
    const RECT pageRect{0, 0, info.size.cx, info.size.cy};
    bool saved = false;
    if (SUCCEEDED(page->Activate(frame, &pageRect, FALSE))) {
        SetForegroundWindow(frame);
        PumpFor(800);
        saved = SaveBitmap(frame, path);
        page->Deactivate();
    }
    page->SetObjects(0, nullptr);
    DestroyWindow(frame);
    return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        fwprintf(stderr, L"usage: page_shots <folder>\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int failures = 0;
    {
        ComPtr<IBaseFilter> mux;
        if (FAILED(BindMuxByMoniker(&mux))) {
            fwprintf(stderr, L"page_shots: the multiplexer is not registered\n");
            return 1;
        }
        const CLSID* pages[] = {&CLSID_MuxCommonPage, &CLSID_MuxAvi1Page, &CLSID_MuxStatisticsPage,
                                &CLSID_MuxTimeShiftPage};
        for (int i = 0; i < 4; ++i) {
            const std::wstring path = std::wstring(argv[1]) + L"\\page-" + std::to_wstring(400 + i) + L".bmp";
            if (!ShootPage(mux.Get(), *pages[i], path)) {
                fwprintf(stderr, L"page_shots: could not save %ls\n", path.c_str());
                ++failures;
            }
        }
    }
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
