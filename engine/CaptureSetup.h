// What the main window hands the engine before Open and again after the
// settings sheet is confirmed: paths, folders, windows, message ids and the
// card configuration use.
#pragma once

#include <windows.h>

#include <string>

struct CaptureSetup {
    std::wstring recordProfilePath;
    std::wstring deviceProfilePath;  // kept, never read by the engine
    std::wstring previewProfilePath;
    std::wstring cardFolder;
    std::wstring cardConfigFile;
    int applyCardConfig = 0;
    int cardConfigWait = 0;

    HWND viewWindow = nullptr;    // parent of the video window
    HWND notifyWindow = nullptr;  // receives the graph events and the still-image message
    UINT graphEventMessage = 0;
    UINT stillImageMessage = 0;
};
