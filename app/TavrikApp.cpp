#include "TavrikApp.h"

#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "AboutDlg.h"
#include "DataFolder.h"
#include "GdiPlusSession.h"
#include "InterruptedRecordings.h"
#include "MainFrm.h"
#include "SettingsFormats.h"
#include "SettingsStore.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

namespace {

constexpr int kFindAttempts = 5;
constexpr DWORD kFindPause = 1000;
constexpr RECT kDefaultRect{0, 0, 640, 480};

void CreateFolderIfMissing(const std::wstring& folder)
{
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

CTavrikApp::CTavrikApp()
{
    OnCommand(ID_APP_ABOUT, [this] {
        CAboutDlg about;
        about.DoModal(MainWnd() ? MainWnd()->Handle() : nullptr);
    });
}

CTavrikApp::~CTavrikApp()
{
    if (mutex_)
        CloseHandle(mutex_);
}

bool CTavrikApp::InitInstance()
{
    mutex_ = CreateMutexW(nullptr, FALSE, ExeBaseName().c_str());
    if (!mutex_) {
        FwMessageBox(L"起動に失敗しました。", MB_ICONHAND);
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
        ActivateRunningInstance();
        return false;
    }

    const INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);

    if (FAILED(OleInitialize(nullptr))) {
        FwMessageBox(LoadResString(IDP_OLE_INIT_FAILED), MB_OK);
        return false;
    }
    oleInitialized_ = true;

    SetRegistryKey(ExeBaseName());
    StartGdiPlus();

    std::wstring dataFolder;
    if (!MakeDataFolder(dataFolder))
        return false;
    SetMainWnd(std::make_unique<CMainFrame>(dataFolder));
    if (!MainWnd()->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, kDefaultRect))
        return false;

    const auto state = ParseWindowState(Profile().GetString(kSettingsSection, L"WindowState", L""));
    ShowWindow(MainWnd()->Handle(), state && state->showCommand == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOW);
    UpdateWindow(MainWnd()->Handle());
    OfferRepairOfInterruptedRecordings(Profile());
    static_cast<CMainFrame*>(MainWnd())->RunStartupPreview();
    return true;
}

int CTavrikApp::ExitInstance()
{
    ShutdownGdiPlus();
    if (oleInitialized_) {
        OleUninitialize();
        oleInitialized_ = false;
    }
    return FwApp::ExitInstance();
}

void CTavrikApp::ActivateRunningInstance()
{
    HWND window = nullptr;
    for (int attempt = 0; attempt < kFindAttempts && !window; ++attempt) {
        window = FindWindowW(kMainWindowClass, nullptr);
        Sleep(kFindPause);
    }
    if (!window)
        return;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    HWND popup = GetLastActivePopup(window);
    if (popup && popup != window) {
        BringWindowToTop(popup);
        SetForegroundWindow(popup);
    }
}

bool CTavrikApp::MakeDataFolder(std::wstring& dataFolder)
{
    wchar_t localAppData[MAX_PATH] = {};
    const bool found =
        SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData));
    const auto paths = MakeDataFolderPaths(found ? localAppData : L"", AppTitle(), CMainFrame::LongestProfileName());
    if (!paths) {
        FwMessageBox(L"データフォルダーのパスを作れません。パスが長すぎるか、取得できません。", MB_ICONHAND);
        return false;
    }
    CreateFolderIfMissing(paths->titleFolder);
    CreateFolderIfMissing(paths->dataFolderWithoutSlash);
    dataFolder = paths->dataFolder;
    return true;
}
