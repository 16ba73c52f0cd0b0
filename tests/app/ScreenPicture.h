// What the screen shows inside a window, read back through the screen's device context,
// and the simulated card's frame number found in it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "TestPicture.h"

namespace tavrik_test {

struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // 32-bit B, G, R, X; rows top-down

    // The screen's pixels under the client area of a window.
    static ScreenPicture Of(HWND window)
    {
        ScreenPicture picture;
        RECT client{};
        if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
            return picture;
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        picture.width = client.right;
        picture.height = client.bottom;
        picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 4);

        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = picture.width;
        info.bmiHeader.biHeight = -picture.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        const bool copied = bitmap && BitBlt(memory, 0, 0, picture.width, picture.height, screen, origin.x, origin.y,
                                             SRCCOPY | CAPTUREBLT);
        GdiFlush();
        if (copied)
            memcpy(picture.pixels.data(), bits, picture.pixels.size());
        SelectObject(memory, old);
        if (bitmap)
            DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        if (!copied)
            picture = {};
        return picture;
    }

    // Saves the picture as a 32-bit BMP, for a look at what a failing test saw.
    bool SaveBmp(const std::wstring& path) const
    {
        BITMAPINFOHEADER header{};
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = -height;
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
        HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
                        WriteFile(out, &header, sizeof header, &written, nullptr) &&
                        WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
        CloseHandle(out);
        return ok;
    }

    // Mean of the green channel, 0 to 255; green follows the luma of a grey picture.
    double MeanGreen() const
    {
        if (pixels.empty())
            return 0;
        uint64_t sum = 0;
        for (size_t i = 1; i < pixels.size(); i += 4)
            sum += pixels[i];
        return static_cast<double>(sum) / (pixels.size() / 4);
    }

    // The frame number of the card's code band, when the picture fills the area unscaled
    // or scaled: the band is read in proportion to the width and height.
    std::optional<uint32_t> FrameNumber() const
    {
        if (pixels.empty())
            return std::nullopt;
        cardsim::LumaView view;
        view.data = pixels.data();
        view.rowStride = static_cast<ptrdiff_t>(width) * 4;
        view.pixelStep = 4;
        view.lumaOffset = 1;
        view.width = width;
        view.height = height;
        return cardsim::ReadFrameNumber(view);
    }
};

}  // namespace tavrik_test
