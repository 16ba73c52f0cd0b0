// The bar at the bottom of the main window that shows what the engine is doing.
#pragma once

#include "../framework/DialogBar.h"

#include <string>

class CCaptureGraph;

class CInformationBar : public FwDialogBar {
public:
    // Called every second; does nothing while the bar is hidden.
    void Refresh(CCaptureGraph& engine);
    // The video compressor, audio compressor and multiplexer of the record profile,
    // or "N/A" three times when it cannot be read.
    void ShowRecordProfileNames(const std::wstring& recordProfilePath);

private:
    void ShowRecordingFigures(CCaptureGraph& engine);
    void ShowRendererFigures(CCaptureGraph& engine);
};
