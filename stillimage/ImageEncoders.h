// The GDI+ image encoders, fetched once per process and kept.
#pragma once

#include <windows.h>

#include <string>

struct ImageEncoder {
    CLSID clsid;
    std::wstring extension;  // "bmp", "png", "jpg" with the system's encoders
};

// The first encoder whose MIME type is `mimeType`, ignoring case; false when none is
// (or GDI+ gave no list, which is asked again next time).
bool FindImageEncoder(const std::wstring& mimeType, ImageEncoder& found);
