// ZV_SetUtil.exe and ZV_I2CUtil.exe: the card's companion programs. Each records its start
// in utilities.log of the card's log folder and shows a small window until it is closed.
#include <windows.h>

#include "RegistryControl.h"

#ifndef UTILITY_NAME
#error UTILITY_NAME names the program
#endif

namespace {

constexpr wchar_t kWindowClass[] = L"ZelvanSimUtility";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring CurrentFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, folder);
    return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show)
{
    cardsim::AppendLogLine(L"utilities.log", cardsim::Utf8(std::wstring(UTILITY_NAME) + L" started in " +
                                                           CurrentFolder() + L" with \"" + commandLine + L"\""));

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);

    HWND window = CreateWindowW(kWindowClass, UTILITY_NAME L" (Zelvan simulator)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 360, 120, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    CreateWindowW(L"STATIC", L"Simulated Zelvan companion program.", WS_CHILD | WS_VISIBLE, 12, 12, 320, 20, window,
                  nullptr, instance, nullptr);
    ShowWindow(window, show);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
