// The still image page: file format or clipboard, aspect correction, cropping,
// scaling and colour conversion of the sheet's settings.
#pragma once

#include "../app/core/MainSettings.h"
#include "../framework/PropertySheet.h"

class CPropPageImageCapture : public FwPropertyPage {
public:
    explicit CPropPageImageCapture(MainSettings& settings);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(FwDataExchange& exchange) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void EnableControls();
    void ExchangeCropping(FwDataExchange& exchange);

    MainSettings& settings_;
};
