// The about box: icon, version and an OK button.
#pragma once

#include "../framework/Dialog.h"
#include "../resources/tavrik/resource.h"

class CAboutDlg : public FwDialog {
public:
    CAboutDlg() : FwDialog(IDD_ABOUTBOX) {}
};
