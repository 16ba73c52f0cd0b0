// The other page: the card's folder and configuration file, the record and still
// image folders and their naming, and the recording report.
#pragma once

#include "../app/core/MainSettings.h"
#include "../framework/PropertySheet.h"

class CPropPageGeneral : public FwPropertyPage {
public:
    explicit CPropPageGeneral(MainSettings& settings);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(FwDataExchange& exchange) override;
    bool OnKillActive() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void EnableControls();
    void BrowseCardFolder();
    void BrowseFolder(std::wstring& folder, const wchar_t* title);
    void BrowseConfigFile();

    MainSettings& settings_;
};
