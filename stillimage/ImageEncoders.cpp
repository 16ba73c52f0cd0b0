#include "ImageEncoders.h"

#include "ImageOutput.h"

#include <gdiplus.h>

#include <vector>

namespace {

struct EncoderTable {
    std::vector<BYTE> storage;  // ImageCodecInfo records and the strings they point to
    UINT count = 0;

    const Gdiplus::ImageCodecInfo* Records() const
    {
        return reinterpret_cast<const Gdiplus::ImageCodecInfo*>(storage.data());
    }
};

bool Load(EncoderTable& table)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || count == 0)
        return false;
    std::vector<BYTE> storage(bytes);
    auto* records = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, records) != Gdiplus::Ok)
        return false;
    table.storage = std::move(storage);
    table.count = count;
    return true;
}

}  // namespace

bool FindImageEncoder(const std::wstring& mimeType, ImageEncoder& found)
{
    static EncoderTable table;
    if (table.count == 0 && !Load(table))
        return false;
    for (UINT i = 0; i < table.count; ++i) {
        const Gdiplus::ImageCodecInfo& codec = table.Records()[i];
        if (codec.MimeType && stillimage::SameMimeType(codec.MimeType, mimeType)) {
            found.clsid = codec.Clsid;
            found.extension = stillimage::ExtensionFromPattern(codec.FilenameExtension ? codec.FilenameExtension : L"");
            return true;
        }
    }
    return false;
}
