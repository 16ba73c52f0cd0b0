// "AVI 1": the number and size of the files and how a recording is split among them.
#pragma once

#include "MuxSettingsPage.h"

class MuxAvi1Page : public MuxSettingsPage {
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

    void FillControls() override;
    HRESULT ReadSettings() override;
    HRESULT WriteSettings() override;
    void ReadControls() override;

    Values values_;
};
