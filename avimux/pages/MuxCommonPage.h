// "共通": buffers, drop threshold, writes, drift prevention, time properties, delay
// processing, mux mode and protect.
#pragma once

#include "IMuxConfig.h"
#include "MuxPropertyPage.h"

class MuxCommonPage : public MuxPropertyPage<IMuxConfig> {
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

    HRESULT OnConnect(IUnknown* object) override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    void FillControls() override;

    HRESULT ReadSettings();
    HRESULT WriteSettings();
    void ReadControls();

    Values m_values;
};
