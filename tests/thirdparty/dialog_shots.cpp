// Shows one of the stand-in compressors' windows so a screenshot can be taken from outside
// (ImageMagick's import under Xvfb), and closes it after a few seconds:
//   standin_dialog_shots.exe page|config|about
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "StandinGraph.h"

namespace {

constexpr DWORD kShownMs = 4000;

BOOL CALLBACK CloseOwnWindow(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

DWORD WINAPI CloseLater(void*)
{
    Sleep(kShownMs);
    EnumWindows(CloseOwnWindow, 0);
    return 0;
}

HRESULT ShowPage(IBaseFilter* filter)
{
    ComPtr<ISpecifyPropertyPages> pages;
    HRESULT hr = filter->QueryInterface(IID_PPV_ARGS(&pages));
    CAUUID ids{};
    if (SUCCEEDED(hr))
        hr = pages->GetPages(&ids);
    if (FAILED(hr))
        return hr;
    IUnknown* objects[] = {filter};
    hr = OleCreatePropertyFrame(nullptr, 40, 40, L"Stand-in G.711 Audio Compressor (44100 Hz)", 1, objects, ids.cElems,
                                ids.pElems, 0, 0, nullptr);
    CoTaskMemFree(ids.pElems);
    return hr;
}

HRESULT ShowVfwDialog(int dialog)
{
    ComPtr<IAMVfwCompressDialogs> dialogs;
    HRESULT hr = CreateFilter(kClsidMjpegCompressor)
                     ->QueryInterface(IID_IAMVfwCompressDialogs, reinterpret_cast<void**>(dialogs.GetAddressOf()));
    return SUCCEEDED(hr) ? dialogs->ShowDialog(dialog, nullptr) : hr;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring what = argc > 1 ? argv[1] : L"page";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CloseHandle(CreateThread(nullptr, 0, CloseLater, nullptr, 0, nullptr));
    HRESULT hr = E_INVALIDARG;
    if (what == L"page") {
        // Connected to a 44100 Hz stereo input, so the page has an input to show.
        ProbeGraph graph;
        hr = graph.Connect(CreateFilter(kClsidG711Compressor44k).Get(), 44100, 2);
        if (SUCCEEDED(hr))
            hr = ShowPage(graph.compressor.Get());
    } else if (what == L"config") {
        hr = ShowVfwDialog(VfwCompressDialog_Config);
    } else if (what == L"about") {
        hr = ShowVfwDialog(VfwCompressDialog_About);
    }
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
