// The parts of saving a still that need no Windows API: the encoder's extension, its
// MIME type match, and the clipboard's device-independent bitmap.
#pragma once

#include "RgbConversion.h"

#include <string>

namespace stillimage {

// "*.JPG;*.JPEG;*.JPE;*.JFIF" gives "jpg": the text after "*." up to the first ";",
// in lower case; a pattern not starting with "*." gives nothing.
std::wstring ExtensionFromPattern(const std::wstring& pattern);

// MIME types compare ignoring the case of ASCII letters.
bool SameMimeType(const std::wstring& a, const std::wstring& b);

inline constexpr wchar_t kJpegMimeType[] = L"image/jpeg";
inline constexpr long kJpegQuality = 95;

// A 40-byte BITMAPINFOHEADER, then the rows bottom-up, then four unused bytes.
inline constexpr size_t kDibHeaderBytes = 40;
inline constexpr size_t kDibSlackBytes = 4;
size_t DibBlockBytes(int width, int height);
// Writes the header and the picture's rows into a block of DibBlockBytes.
void WriteDib(const RgbPicture& picture, uint8_t* block);

}  // namespace stillimage
