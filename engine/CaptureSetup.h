// What the main window hands the engine before Open and again after the
// settings sheet is confirmed: paths, folders, windows, message ids, the
// card configuration use and the graph registration.
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
    int registerInRot = 0;  // every built graph goes into the running object table

    HWND viewWindow = nullptr;    // parent of the video window
    HWND notifyWindow = nullptr;  // receives the graph events and the still-image message
    UINT graphEventMessage = 0;
    UINT stillImageMessage = 0;
};
