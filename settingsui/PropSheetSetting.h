// The settings sheet "設定": record, preview, still image and other pages over a
// copy of the main window's settings.
#pragma once

#include "../app/core/MainSettings.h"
#include "../framework/PropertySheet.h"
#include "PropPageGeneral.h"
#include "PropPageImageCapture.h"
#include "PropPagePreview.h"
#include "PropPageRecord.h"

#include <functional>

class CPropSheetSetting : public FwPropertySheet {
public:
    CPropSheetSetting(const MainSettings& settings, std::function<bool()> isPreviewing, HWND mainWindow);

    // IDOK or IDCANCEL; after IDOK Settings() holds the edited block with the page to open next.
    INT_PTR DoModal(HWND owner);
    const MainSettings& Settings() const { return settings_; }

private:
    MainSettings settings_;
    CPropPageRecord record_;
    CPropPagePreview preview_;
    CPropPageImageCapture imageCapture_;
    CPropPageGeneral general_;
};
