// The record page: video compressor, audio compressor with its audio format list,
// multiplexer and the record options; writes the record profile on OK.
#pragma once

#include "../framework/PropertySheet.h"
#include "FilterChoice.h"
#include "profiles/core/AudioFormatList.h"

#include <string>
#include <vector>

class CPropPageRecord : public FwPropertyPage {
public:
    CPropPageRecord();

    std::wstring profilePath;

protected:
    bool OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void FillLists();
    void LoadProfile();
    void ForgetFilters();
    void EnableButtons();
    void OnFilterSelected(FilterChoice& choice);
    void ShowCompressDialog(VfwCompressDialogs dialog);
    void ConfigureAudioFormats();

    FilterChoice video_;
    FilterChoice audio_;
    FilterChoice mux_;
    std::vector<AudioFormatPair> audioFormats_;
};
