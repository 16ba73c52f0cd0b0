// The capture engine. This far it holds the settings and the state that the main
// window loads, shows and saves, and the load thread; the graphs come later.
#pragma once

#include "LoadThread.h"

#include <windows.h>

#include <string>

class CCaptureGraph {
public:
    // Video renderer: 1 Overlay Mixer, 2 VMR-7, 3 VMR-9.
    HRESULT SetRendererKind(int kind);
    HRESULT SetMute(int flag);
    // Display aspect 0 to 5: Free, 4:3, 4:3LB, 16:9, 16:9PAN, 16:9ZOOM.
    void SetAspectMode(int mode) { aspectMode = mode; }
    // Window scale 0 to 6: free, 25, 50, 75, 100, 150, 200 per cent.
    void SetScaleMode(int mode) { scaleMode = mode; }

    // The decoder's input format, 0 to 5; 0 while no capture filter is open.
    int ReadInputFormat() const { return 0; }

    // Routes the crossbar's audio input; needs the crossbar, which is not open yet.
    HRESULT SelectAudioInput(int input);

    // Re-detects the input while previewing; needs the preview's media control.
    HRESULT CheckSignalChange();

    LoadThread& LoadThreadRecord() { return loadThread_; }

    int rendererKind = 1;
    int state = 0;
    int signalFormat = 0;
    int mute = 0;
    int aspectMode = 0;
    int scaleMode = 4;
    int audioInput = 1;
    int signalDetected = 0;
    int registerInRot = 0;
    int resumePreview = 0;
    int applyCardConfig = 0;
    int cardConfigWait = 0;
    int cancelDetection = 0;

    HWND viewWindow = nullptr;
    HWND notifyWindow = nullptr;
    UINT graphEventMessage = 0;
    UINT stillImageMessage = 0;

    std::wstring recordProfilePath;
    std::wstring deviceProfilePath;
    std::wstring previewProfilePath;
    std::wstring cardFolder;
    std::wstring cardConfigFile;

private:
    LoadThread loadThread_;
};
