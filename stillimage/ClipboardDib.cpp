#include "ClipboardDib.h"

#include "ImageOutput.h"

namespace {

// A movable block holding the DIB of the bitmap, or null.
HGLOBAL DibBlock(Gdiplus::Bitmap& bitmap)
{
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData bits{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &bits) != Gdiplus::Ok)
        return nullptr;
    HGLOBAL block =
        bits.Stride >= 3 * width ? GlobalAlloc(GMEM_MOVEABLE, stillimage::DibBlockBytes(width, height)) : nullptr;
    if (block) {
        if (void* memory = GlobalLock(block)) {
            const stillimage::RgbPicture picture{static_cast<uint8_t*>(bits.Scan0), static_cast<size_t>(bits.Stride),
                                                 width, height};
            stillimage::WriteDib(picture, static_cast<uint8_t*>(memory));
            GlobalUnlock(block);
        } else {
            block = GlobalFree(block);
        }
    }
    bitmap.UnlockBits(&bits);
    return block;
}

}  // namespace

bool CopyToClipboard(Gdiplus::Bitmap& bitmap)
{
    HGLOBAL block = DibBlock(bitmap);
    if (!block)
        return false;
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_DIB, block) != nullptr;
    if (!placed)
        GlobalFree(block);
    CloseClipboard();
    return placed;
}
