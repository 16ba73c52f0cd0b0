// Tavrik's application object: one copy per user, process set-up, the main
// window, and the shutdown order.
#pragma once

#include "../framework/App.h"

#include <windows.h>

class CTavrikApp : public FwApp {
public:
    CTavrikApp();
    ~CTavrikApp() override;

protected:
    bool InitInstance() override;
    int ExitInstance() override;

private:
    // Brings the running copy's main window, and its open dialog, to the front.
    void ActivateRunningInstance();
    bool MakeDataFolder(std::wstring& dataFolder);

    HANDLE mutex_ = nullptr;
    bool oleInitialized_ = false;
};
