// A still image from the two stored frames: fields chosen, converted to RGB, cropped
// and scaled, then saved through the GDI+ encoder of a MIME type or put on the clipboard.
#pragma once

#include "StillFrameStore.h"
#include "StillGeometry.h"

#include <optional>
#include <string>

// Target "CLIPBOARD" (its first nine characters) puts a CF_DIB on the clipboard;
// anything else is a file path without extension, completed with the encoder's.
// Every failure ends quietly: no file, no clipboard change. True when done.
bool SaveStillImage(const StillFrameStore& store, const std::optional<stillimage::StillRect>& crop,
                    const std::optional<stillimage::StillRect>& output, int inputFormat, int matrix,
                    const std::wstring& target, const std::wstring& mimeType);
