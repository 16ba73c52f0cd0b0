// A GDI+ bitmap put on the clipboard as CF_DIB.
#pragma once

#include <windows.h>
#include <gdiplus.h>

bool CopyToClipboard(Gdiplus::Bitmap& bitmap);
