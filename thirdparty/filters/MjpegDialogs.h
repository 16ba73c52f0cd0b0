// The Motion JPEG compressor's configuration dialog and about box.
#pragma once

#include <windows.h>

namespace standin {

// The quality chosen with OK (1..100), or 0 after Cancel.
int ShowQualityDialog(HWND owner, int quality);
void ShowAboutBox(HWND owner);

}  // namespace standin
