// "AVI 1": the number and size of the files and how a recording is split among them.
#pragma once

#include "IMuxConfig.h"
#include "MuxPropertyPage.h"

class MuxAvi1Page : public MuxPropertyPage<IMuxConfig> {
public:
    explicit MuxAvi1Page(LPUNKNOWN outer);

private:
    struct Values {
        DWORD maxFiles = 0;
        DWORD maxFileSize = 0;  // MB
        BOOL firstFrameNotDropped = FALSE;
        DWORD splitMode = 0;
        DWORD splitCountVideo = 0;
        DWORD splitCountAudio = 0;
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
