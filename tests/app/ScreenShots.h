// Pictures of the whole screen while a message box is up, saved as PNG in the folder
// tavrik-shots of the test's folder, for looking at what a person sees: the text, its
// glyphs, the buttons and what the box stands in front of. Nothing is judged here.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <string>

#include "ImageEncoders.h"
#include "ScreenPicture.h"
#include "SheetDriver.h"

namespace tavrik_test {

inline bool SaveScreenShot(const std::wstring& name)
{
    const ScreenPicture screen = ScreenPicture::Of(GetDesktopWindow());
    if (screen.pixels.empty())
        return false;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    bool saved = false;
    ImageEncoder png;
    if (FindImageEncoder(L"image/png", png)) {
        CreateDirectoryW(L"tavrik-shots", nullptr);
        Gdiplus::Bitmap bitmap(screen.width, screen.height, screen.width * 4, PixelFormat32bppRGB,
                               const_cast<BYTE*>(screen.pixels.data()));
        saved = bitmap.Save((L"tavrik-shots\\" + name + L".png").c_str(), &png.clsid, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

// Waits for the process's next message box and saves the screen once it is drawn; the box
// stays up for the test to read and answer. The box, or null when none came or no picture
// was saved.
inline HWND ShootMessageBox(DWORD process, const std::wstring& name)
{
    constexpr DWORD kDrawTime = 700;
    std::wstring text;
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = MessageBoxAbove(process, text)) != nullptr; }, 10000))
        return nullptr;
    Sleep(kDrawTime);
    return SaveScreenShot(name) ? box : nullptr;
}

}  // namespace tavrik_test
