#include "PropSheetSetting.h"

CPropSheetSetting::CPropSheetSetting(const MainSettings& settings, std::function<bool()> isPreviewing, HWND mainWindow)
    : FwPropertySheet(L"設定"),
      settings_(settings),
      preview_(std::move(isPreviewing), mainWindow),
      imageCapture_(settings_),
      general_(settings_)
{
    record_.profilePath = settings_.recordProfile.Full();
    preview_.profilePath = settings_.previewProfile.Full();
    AddPage(record_);
    AddPage(preview_);
    AddPage(imageCapture_);
    AddPage(general_);
}

INT_PTR CPropSheetSetting::DoModal(HWND owner)
{
    const INT_PTR result = FwPropertySheet::DoModal(owner, settings_.firstPage);
    if (result == IDOK)
        settings_.firstPage = ActivePageAtOk();
    return result;
}
