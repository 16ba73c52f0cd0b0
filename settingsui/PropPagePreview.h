// The preview page: the deinterlace filter and the preview options; writes the
// preview profile on OK and on "リスタート", which also restarts the preview.
#pragma once

#include "../framework/PropertySheet.h"
#include "FilterChoice.h"

#include <functional>
#include <string>

class CPropPagePreview : public FwPropertyPage {
public:
    // isPreviewing tells whether the engine previews now; mainWindow takes the preview command.
    CPropPagePreview(std::function<bool()> isPreviewing, HWND mainWindow);

    std::wstring profilePath;

protected:
    bool OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void LoadProfile();
    void EnableControls();
    bool WriteProfile();
    void Restart();

    std::function<bool()> isPreviewing_;
    HWND mainWindow_;
    bool previewingAtStart_ = false;
    FilterChoice filter_;
};
