#include "SaveStillImage.h"

#include "ClipboardDib.h"
#include "FieldChoice.h"
#include "ImageEncoders.h"
#include "ImageOutput.h"
#include "RgbConversion.h"
#include "SignalFormat.h"

#include <gdiplus.h>

#include <memory>

using stillimage::StillRect;

namespace {

constexpr wchar_t kClipboardTarget[] = L"CLIPBOARD";
constexpr size_t kClipboardTargetChars = 9;

stillimage::FrameFormat FormatOf(const BITMAPINFOHEADER& header)
{
    return {header.biWidth, header.biHeight, header.biBitCount, header.biCompression};
}

// The frames converted into a bitmap of the frame's size, or null.
std::unique_ptr<Gdiplus::Bitmap> ConvertedPicture(const StillFrameStore& store, int matrix,
                                                  stillimage::FieldSources sources)
{
    const stillimage::FrameFormat format = FormatOf(*store.Header());
    auto picture = std::make_unique<Gdiplus::Bitmap>(format.width, format.Rows(), PixelFormat24bppRGB);
    if (picture->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Rect all(0, 0, format.width, format.Rows());
    Gdiplus::BitmapData bits{};
    if (picture->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &bits) != Gdiplus::Ok)
        return nullptr;
    const stillimage::RgbPicture target{static_cast<uint8_t*>(bits.Scan0),
                                        bits.Stride > 0 ? static_cast<size_t>(bits.Stride) : 0,
                                        static_cast<int>(bits.Width), static_cast<int>(bits.Height)};
    const bool converted = stillimage::ConvertToRgb(format, store.Frame(0).data(), store.Frame(1).data(),
                                                    store.BufferSize(), matrix, sources, target);
    const bool unlocked = picture->UnlockBits(&bits) == Gdiplus::Ok;
    return converted && unlocked ? std::move(picture) : nullptr;
}

// The source part of the picture drawn bicubic into a bitmap of the output size.
std::unique_ptr<Gdiplus::Bitmap> Redrawn(Gdiplus::Bitmap& picture, const StillRect& source, int width, int height)
{
    auto result = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat24bppRGB);
    if (result->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Graphics graphics(result.get());
    if (graphics.GetLastStatus() != Gdiplus::Ok ||
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic) != Gdiplus::Ok)
        return nullptr;
    const Gdiplus::Rect into(0, 0, width, height);
    if (graphics.DrawImage(&picture, into, source.left, source.top, source.Width(), source.Height(),
                           Gdiplus::UnitPixel) != Gdiplus::Ok)
        return nullptr;
    return result;
}

bool SaveToFile(Gdiplus::Bitmap& result, const ImageEncoder& encoder, const std::wstring& target,
                const std::wstring& mimeType)
{
    Gdiplus::EncoderParameters quality{};
    ULONG qualityValue = stillimage::kJpegQuality;
    const bool jpeg = stillimage::SameMimeType(mimeType, stillimage::kJpegMimeType);
    if (jpeg) {
        quality.Count = 1;
        quality.Parameter[0].Guid = Gdiplus::EncoderQuality;
        quality.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        quality.Parameter[0].NumberOfValues = 1;
        quality.Parameter[0].Value = &qualityValue;
    }
    const std::wstring fileName = target + L"." + encoder.extension;
    return result.Save(fileName.c_str(), &encoder.clsid, jpeg ? &quality : nullptr) == Gdiplus::Ok;
}

}  // namespace

bool SaveStillImage(const StillFrameStore& store, const std::optional<StillRect>& crop,
                    const std::optional<StillRect>& output, int inputFormat, int matrix, const std::wstring& target,
                    const std::wstring& mimeType)
{
    if (!store.Header() || store.Remaining() != 0)
        return false;
    stillimage::FieldSources sources{};
    if (engine::IsInterlacedFormat(inputFormat)) {
        const auto chosen = stillimage::ChooseFieldSources(FormatOf(*store.Header()), store.Frame(0).data(),
                                                           store.Frame(1).data(), store.BufferSize());
        if (!chosen)
            return false;
        sources = *chosen;
    }
    std::unique_ptr<Gdiplus::Bitmap> picture = ConvertedPicture(store, matrix, sources);
    if (!picture)
        return false;
    ImageEncoder encoder{};
    if (!FindImageEncoder(mimeType, encoder))
        return false;

    std::unique_ptr<Gdiplus::Bitmap> redrawn;
    if (crop || output) {
        const StillRect whole{0, 0, static_cast<int>(picture->GetWidth()), static_cast<int>(picture->GetHeight())};
        const StillRect source = crop.value_or(whole);
        const StillRect size = output.value_or(StillRect{0, 0, source.Width(), source.Height()});
        redrawn = Redrawn(*picture, source, size.Width(), size.Height());
        if (!redrawn)
            return false;
    }
    Gdiplus::Bitmap& result = redrawn ? *redrawn : *picture;
    if (target.compare(0, kClipboardTargetChars, kClipboardTarget) == 0)
        return CopyToClipboard(result);
    return SaveToFile(result, encoder, target, mimeType);
}
