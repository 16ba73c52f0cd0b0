#include "App.h"

#include "FrameworkIds.h"
#include "Resources.h"

#include <vector>

namespace {

FwApp* currentApp = nullptr;

std::wstring ModuleBaseName()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    std::wstring name = path.data();
    name = name.substr(name.find_last_of(L"\\/") + 1);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

// Painting and the system timer do not change what the update handlers would show.
bool IsIdleMessage(const MSG& message)
{
    return message.message != WM_PAINT && message.message != 0x0118;
}

}  // namespace

FwApp::FwApp()
{
    currentApp = this;
    OnCommand(ID_APP_EXIT, [this] {
        if (mainWnd_ && mainWnd_->Handle())
            SendMessageW(mainWnd_->Handle(), WM_CLOSE, 0, 0);
    });
}

FwApp::~FwApp()
{
    if (currentApp == this)
        currentApp = nullptr;
}

FwApp* FwApp::Current()
{
    return currentApp;
}

void FwApp::SetRegistryKey(const std::wstring& key)
{
    profile_.emplace(L"Software\\" + key + L"\\" + appTitle_);
}

RegistryProfile& FwApp::Profile()
{
    if (!profile_)
        SetRegistryKey(exeBaseName_);
    return *profile_;
}

int FwApp::WinMain(HINSTANCE instance, int)
{
    instance_ = instance;
    exeBaseName_ = ModuleBaseName();
    appTitle_ = LoadResString(IDS_APP_TITLE);
    if (appTitle_.empty())
        appTitle_ = exeBaseName_;
    if (!InitInstance()) {
        if (mainWnd_ && mainWnd_->Handle())
            DestroyWindow(mainWnd_->Handle());
        mainWnd_.reset();
        return ExitInstance();
    }
    exitCode_ = Run();
    return ExitInstance();
}

int FwApp::Run()
{
    MSG message{};
    bool idle = true;
    long idleCount = 0;
    for (;;) {
        while (idle && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        do {
            if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
                mainWnd_.reset();
                return static_cast<int>(message.wParam);
            }
            if (!mainWnd_ || !mainWnd_->PreTranslateMessage(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (IsIdleMessage(message)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    }
}

bool FwApp::OnIdle(long count)
{
    if (count == 0 && mainWnd_)
        mainWnd_->OnIdleUpdate();
    return false;
}
