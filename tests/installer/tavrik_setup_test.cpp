// What the setup program leaves in the prefix it ran in: the installed files and their
// versions, the uninstall entry, the Start-menu entry, Trelvox's registration, the
// installed Tavrik previewing the card, the refusals while Tavrik runs, and what the
// silent uninstall takes away. tavrik_setup_test.sh runs it between its steps:
//   tavrik_setup_test.exe --gtest_filter=<cases> <version> <setup program>
#include <windows.h>
#include <dshow.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../../avimux/MuxGuids.h"
#include "../app/ScreenPicture.h"
#include "../app/TavrikProcess.h"
#include "../avimux/MuxGraphSupport.h"

namespace {

std::wstring g_version;  // the version the installed setup carries
std::wstring g_setup;    // the setup program, run again while Tavrik runs

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrik";
constexpr DWORD kExitTavrikRuns = 3;
constexpr int kViewId = 0xE900;

const CLSID* const kTrelvoxClasses[] = {&CLSID_PelkorAviMux, &CLSID_MuxCommonPage, &CLSID_MuxAvi1Page,
                                        &CLSID_MuxStatisticsPage, &CLSID_MuxTimeShiftPage};

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

std::wstring InstallFolder()
{
    return KnownFolder(FOLDERID_ProgramFiles) + L"\\Tavrik";
}

std::wstring InstalledFile(const wchar_t* name)
{
    return InstallFolder() + L"\\" + name;
}

std::wstring StartMenuEntry()
{
    return KnownFolder(FOLDERID_CommonPrograms) + L"\\Tavrik.lnk";
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::wstring> RegistryString(HKEY root, const std::wstring& key, const wchar_t* value)
{
    wchar_t text[MAX_PATH * 2] = {};
    DWORD bytes = sizeof text;
    if (RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

std::wstring ClassKey(const CLSID& clsid)
{
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return std::wstring(L"CLSID\\") + text;
}

// A program run to its end; its exit code, or nothing when it could not start.
std::optional<DWORD> RunToEnd(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return std::nullopt;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::wstring ProductVersionOf(const std::wstring& file)
{
    std::vector<BYTE> data(GetFileVersionInfoSizeW(file.c_str(), nullptr));
    if (data.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
        return L"<no version resource>";
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof *translation)
        return L"<no translation>";
    wchar_t path[64] = {};
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation->language, translation->codePage);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&text), &size))
        return L"<no product version>";
    return text;
}

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }

    // The monikers of the legacy filter category that name the filter's CLSID.
    static std::vector<std::wstring> MuxMonikersInCategory()
    {
        std::vector<std::wstring> names;
        ComPtr<ICreateDevEnum> devices;
        ComPtr<IEnumMoniker> monikers;
        if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&devices))) ||
            devices->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, &monikers, 0) != S_OK)
            return names;
        for (ComPtr<IMoniker> moniker; monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK;) {
            ComPtr<IPropertyBag> bag;
            if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))))
                continue;
            VARIANT value;
            VariantInit(&value);
            CLSID clsid{};
            if (SUCCEEDED(bag->Read(L"CLSID", &value, nullptr)) && value.vt == VT_BSTR &&
                SUCCEEDED(CLSIDFromString(value.bstrVal, &clsid)) && clsid == CLSID_PelkorAviMux) {
                LPOLESTR name = nullptr;
                if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &name)))
                    names.push_back(name);
                CoTaskMemFree(name);
            }
            VariantClear(&value);
        }
        return names;
    }

    static void ExpectTrelvoxUnregistered()
    {
        for (const CLSID* clsid : kTrelvoxClasses) {
            HKEY key = nullptr;
            EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, ClassKey(*clsid).c_str(), 0, KEY_READ, &key))
                << Narrow(ClassKey(*clsid));
            if (key)
                RegCloseKey(key);
        }
        EXPECT_TRUE(MuxMonikersInCategory().empty());
        ComPtr<IBaseFilter> filter;
        EXPECT_FALSE(SUCCEEDED(BindMuxByMoniker(&filter)));
    }
};

using BeforeSetup = ComTest;
using Installed = ComTest;
using Uninstall = ComTest;

TEST_F(BeforeSetup, TrelvoxIsNotRegistered)
{
    ExpectTrelvoxUnregistered();
    EXPECT_FALSE(Exists(InstallFolder()));
}

TEST_F(Installed, UninstallEntryNamesVersionSizeAndBothUninstallCommands)
{
    const std::wstring uninstaller = L"\"" + InstalledFile(L"Uninstall.exe") + L"\"";
    EXPECT_EQ(L"Tavrik", RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
    EXPECT_EQ(g_version, RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"));
    EXPECT_FALSE(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher").value_or(L"").empty());
    EXPECT_EQ(uninstaller, RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"));
    EXPECT_EQ(uninstaller + L" /S", RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"));

    DWORD size = 0, bytes = sizeof size;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD,
                                          nullptr, &size, &bytes));
    WIN32_FILE_ATTRIBUTE_DATA exe{}, dll{};
    ASSERT_TRUE(GetFileAttributesExW(InstalledFile(L"Tavrik.exe").c_str(), GetFileExInfoStandard, &exe));
    ASSERT_TRUE(GetFileAttributesExW(InstalledFile(L"Trelvox.dll").c_str(), GetFileExInfoStandard, &dll));
    const DWORD filesKb = (exe.nFileSizeLow + dll.nFileSizeLow) / 1024;
    EXPECT_GE(size, filesKb) << "EstimatedSize in KB";
    EXPECT_LE(size, filesKb + 1024) << "EstimatedSize in KB";
}

TEST_F(Installed, BothFilesCarryTheVersionAndTheStartMenuLeadsToTavrik)
{
    EXPECT_EQ(g_version, ProductVersionOf(InstalledFile(L"Tavrik.exe")));
    EXPECT_EQ(g_version, ProductVersionOf(InstalledFile(L"Trelvox.dll")));

    ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link.As(&file));
    ASSERT_HRESULT_SUCCEEDED(file->Load(StartMenuEntry().c_str(), STGM_READ)) << Narrow(StartMenuEntry());
    wchar_t target[MAX_PATH] = {};
    ASSERT_HRESULT_SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0));
    EXPECT_EQ(0, _wcsicmp(InstalledFile(L"Tavrik.exe").c_str(), target)) << Narrow(target);
}

TEST_F(Installed, FilterAndItsFourPagesAreRegisteredFromTheInstallFolder)
{
    for (const CLSID* clsid : kTrelvoxClasses) {
        const std::wstring key = ClassKey(*clsid) + L"\\InprocServer32";
        const auto server = RegistryString(HKEY_CLASSES_ROOT, key, nullptr);
        ASSERT_TRUE(server.has_value()) << Narrow(key);
        EXPECT_EQ(0, _wcsicmp(InstalledFile(L"Trelvox.dll").c_str(), server->c_str())) << Narrow(*server);
        EXPECT_EQ(L"Both", RegistryString(HKEY_CLASSES_ROOT, key, L"ThreadingModel"));
    }
    EXPECT_EQ(std::vector<std::wstring>{kMuxMonikerName}, MuxMonikersInCategory());
    ComPtr<IBaseFilter> filter;
    ASSERT_HRESULT_SUCCEEDED(BindMuxByMoniker(&filter));
    CLSID clsid{};
    ASSERT_HRESULT_SUCCEEDED(filter->GetClassID(&clsid));
    EXPECT_TRUE(clsid == CLSID_PelkorAviMux);
}

TEST_F(Installed, TavrikStartsFromTheInstallFolderAndPreviewsTheCard)
{
    TavrikRun run(InstalledFile(L"Tavrik.exe"));
    ASSERT_TRUE(run.Window());
    const bool previewing = WaitFor([&] {
        return PaneText(run.Id(), run.Window(), 0) == L"プレビュー中" &&
               PaneText(run.Id(), run.Window(), 2) == L"1080i";
    });
    EXPECT_TRUE(previewing) << Narrow(PaneText(run.Id(), run.Window(), 0));
    std::optional<uint32_t> first, later;
    const HWND view = Descendant(run.Window(), kViewId);
    EXPECT_TRUE(WaitFor([&] { return (first = ScreenPicture::Of(view).FrameNumber()).has_value(); }))
        << "no card picture in the view";
    Sleep(500);
    EXPECT_TRUE(WaitFor(
        [&] {
            later = ScreenPicture::Of(view).FrameNumber();
            return first && later && *later > *first;
        },
        5000))
        << "the picture on the screen moves on";
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    ASSERT_TRUE(run.Close());
}

TEST_F(Installed, SetupAndUninstallRefuseWhileTavrikRuns)
{
    TavrikRun run(InstalledFile(L"Tavrik.exe"));
    ASSERT_TRUE(run.Window());
    // "_?=" runs the uninstaller in place, so its exit code is its own.
    EXPECT_EQ(kExitTavrikRuns,
              RunToEnd(L"\"" + InstalledFile(L"Uninstall.exe") + L"\" /S _?=" + InstallFolder()).value_or(0));
    EXPECT_EQ(kExitTavrikRuns, RunToEnd(L"\"" + g_setup + L"\" /S").value_or(0));
    EXPECT_TRUE(Exists(InstalledFile(L"Tavrik.exe")));
    EXPECT_TRUE(Exists(InstalledFile(L"Trelvox.dll")));
    EXPECT_TRUE(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName").has_value());
    ASSERT_TRUE(run.Close());
}

TEST_F(Uninstall, QuietUninstallRemovesFilesRegistrationAndStartMenuEntry)
{
    const auto command = RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(*command));
    // The uninstaller hands its work to a copy of itself in the temp folder and ends.
    const auto entryGone = [] { return !RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"); };
    WaitFor([&] { return !Exists(InstallFolder()) && !Exists(StartMenuEntry()) && entryGone(); }, 60000);
    EXPECT_FALSE(Exists(InstallFolder()));
    EXPECT_FALSE(Exists(StartMenuEntry()));
    EXPECT_TRUE(entryGone());
    ExpectTrelvoxUnregistered();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1)
        g_version = argv[1];
    if (argc > 2)
        g_setup = argv[2];
    return RUN_ALL_TESTS();
}
