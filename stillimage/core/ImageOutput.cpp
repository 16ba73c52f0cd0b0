#include "ImageOutput.h"

#include <cstring>

namespace stillimage {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr int32_t kPelsPerMeter = 72;

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Little-endian, as the header is laid out in memory.
template <typename T>
uint8_t* Put(uint8_t* at, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        at[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    return at + sizeof(T);
}

}  // namespace

std::wstring ExtensionFromPattern(const std::wstring& pattern)
{
    if (pattern.compare(0, 2, L"*.") != 0)
        return {};
    const size_t end = pattern.find(L';', 2);
    std::wstring extension = pattern.substr(2, end == std::wstring::npos ? std::wstring::npos : end - 2);
    for (wchar_t& c : extension)
        c = AsciiLower(c);
    return extension;
}

bool SameMimeType(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

size_t DibBlockBytes(int width, int height)
{
    return kDibHeaderBytes + DibStride(kRgbBitCount, width) * static_cast<size_t>(height) + kDibSlackBytes;
}

void WriteDib(const RgbPicture& picture, uint8_t* block)
{
    const size_t stride = DibStride(kRgbBitCount, picture.width);
    uint8_t* at = block;
    at = Put<uint32_t>(at, kDibHeaderBytes);                                 // biSize
    at = Put<int32_t>(at, picture.width);                                    // biWidth
    at = Put<int32_t>(at, picture.height);                                   // biHeight: bottom-up
    at = Put<uint16_t>(at, 1);                                               // biPlanes
    at = Put<uint16_t>(at, kRgbBitCount);                                    // biBitCount
    at = Put<uint32_t>(at, kBiRgb);                                          // biCompression
    at = Put<uint32_t>(at, static_cast<uint32_t>(stride * picture.height));  // biSizeImage
    at = Put<int32_t>(at, kPelsPerMeter);                                    // biXPelsPerMeter
    at = Put<int32_t>(at, kPelsPerMeter);                                    // biYPelsPerMeter
    at = Put<uint32_t>(at, 0);                                               // biClrUsed
    at = Put<uint32_t>(at, 0);                                               // biClrImportant

    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    for (int row = 0; row < picture.height; ++row, at += stride) {
        const uint8_t* source = picture.bits + static_cast<size_t>(picture.height - 1 - row) * picture.stride;
        std::memcpy(at, source, rowBytes);
        std::memset(at + rowBytes, 0, stride - rowBytes);
    }
    std::memset(at, 0, kDibSlackBytes);
}

}  // namespace stillimage
