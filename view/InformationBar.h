// The bar at the bottom of the main window that shows what the engine is doing.
#pragma once

#include "../framework/DialogBar.h"

class CCaptureGraph;

class CInformationBar : public FwDialogBar {
public:
    // Called every second; does nothing while the bar is hidden.
    void Refresh(const CCaptureGraph& engine);
};
