// The application object: start-up, the message loop with accelerators and idle
// processing, the main window's life, and the profile in the registry.
#pragma once

#include "CmdTarget.h"
#include "FrameWnd.h"
#include "RegistryProfile.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

class FwApp : public FwCmdTarget {
public:
    FwApp();
    ~FwApp() override;

    static FwApp* Current();

    // Runs InitInstance, then the message loop when it succeeded, then ExitInstance.
    int WinMain(HINSTANCE instance, int showCommand);

    HINSTANCE Instance() const { return instance_; }
    // The program file's name without folder and extension.
    const std::wstring& ExeBaseName() const { return exeBaseName_; }
    // String 57344, or the base name when there is none.
    const std::wstring& AppTitle() const { return appTitle_; }

    FwFrameWnd* MainWnd() const { return mainWnd_.get(); }

    // Profile values then live under HKEY_CURRENT_USER\Software\<key>\<title>.
    void SetRegistryKey(const std::wstring& key);
    RegistryProfile& Profile();

protected:
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return exitCode_; }
    // Called when the queue is empty; return true to be called again before waiting.
    virtual bool OnIdle(long count);

    // The main window object is deleted once its window is gone, before ExitInstance.
    void SetMainWnd(std::unique_ptr<FwFrameWnd> frame) { mainWnd_ = std::move(frame); }

private:
    int Run();

    HINSTANCE instance_ = nullptr;
    std::wstring exeBaseName_;
    std::wstring appTitle_;
    std::unique_ptr<FwFrameWnd> mainWnd_;
    std::optional<RegistryProfile> profile_;
    int exitCode_ = 0;
};
