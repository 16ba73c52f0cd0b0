// "共通": buffers, drop threshold, writes, drift prevention, time properties, delay
// processing, mux mode and protect.
#pragma once

#include "MuxSettingsPage.h"

class MuxCommonPage : public MuxSettingsPage {
public:
    explicit MuxCommonPage(LPUNKNOWN outer);

private:
    struct Values {
        DWORD videoBuffers = 0;
        double dropThreshold = 0;
        DWORD writeCount = 0;
        BOOL forcedAudioSync = FALSE;
        BOOL driftPrevention = FALSE;
        double driftThreshold = 0;
        DWORD driftSensitivity = 0;
        LONGLONG driftStartTime = 0;
        DWORD timePropertyVideo = 0;
        DWORD timePropertyAudio = 0;
        DWORD delayVideo = 0;
        DWORD delayAudio = 0;
        DWORD muxMode = 0;
        BOOL protect = FALSE;
    };

    void FillControls() override;
    HRESULT ReadSettings() override;
    HRESULT WriteSettings() override;
    void ReadControls() override;

    Values values_;
};
