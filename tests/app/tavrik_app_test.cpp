// Drives the real Tavrik.exe: start-up, the window it opens, the settings it
// saves at exit, the single-instance rule and its commands.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../WineDirect3D.h"
#include "TavrikFixture.h"
#include "TavrikProcess.h"

namespace {

class TavrikApp : public TavrikTest {};

TEST_F(TavrikApp, AFirstStartOpensTheDefaultWindowAndSavesTheDefaults)
{
    {
        TavrikRun run;
        HWND window = run.Window();
        ASSERT_NE(nullptr, window);
        const RECT rect = Rect(window);
        EXPECT_EQ(0, rect.left);
        EXPECT_EQ(0, rect.top);
        EXPECT_EQ(640, rect.right);
        EXPECT_EQ(480, rect.bottom);
        EXPECT_EQ(L"Tavrik", Text(window));
        EXPECT_FALSE(IsZoomed(window));
        // The first start previews the card; the information bar shows it once the timer has ticked.
        HWND state = Descendant(window, 1004);
        ASSERT_NE(nullptr, state);
        EXPECT_TRUE(WaitFor([&] { return Text(state) == L"プレビュー中"; }, 10000))
            << "state shows: " << Text(state).size();
        EXPECT_TRUE(IsWindowVisible(Descendant(window, 0xE800))) << "toolbar";
        EXPECT_TRUE(IsWindowVisible(Descendant(window, 0xE801))) << "status bar";
        EXPECT_TRUE(IsWindowVisible(Descendant(window, 0xE805))) << "information bar";
        ASSERT_TRUE(run.Close());
    }

    const std::vector<std::pair<const wchar_t*, DWORD>> numbers = {{L"VideoRenderer", 1},
                                                                   {L"AudioInputType", 1},
                                                                   {L"AudioMute", 0},
                                                                   {L"VideoScale", 4},
                                                                   {L"VideoAspectMode", 3},
                                                                   {L"RecordRule", 0},
                                                                   {L"UseSettingFile", 0},
                                                                   {L"UseSettingFileWait", 0},
                                                                   {L"UseRecLog", 0},
                                                                   {L"RecordNameSerialNumber", 0},
                                                                   {L"RecordNameRule", 1},
                                                                   {L"ImageNameSerialNumber", 0},
                                                                   {L"ImageNameRule", 1},
                                                                   {L"ImageCaptureAspectMode", 1},
                                                                   {L"ImageCaptureCroppingMode", 1},
                                                                   {L"ImageCaptureScaleMode", 0},
                                                                   {L"ImageCaptureClipboard", 0},
                                                                   {L"ImageCaptureColorConversion", 0},
                                                                   {L"Topmost", 0},
                                                                   {L"WindowMode", 0},
                                                                   {L"StressThread", 0},
                                                                   // Stored from the engine's state: it was previewing.
                                                                   {L"Preview", 1}};
    for (const auto& [entry, value] : numbers)
        EXPECT_EQ(std::optional<DWORD>(value), ReadDword(entry)) << std::wstring(entry).size() << " " << value;
    const std::vector<std::pair<const wchar_t*, std::wstring>> texts = {
        {L"ZelvanPath", L""},
        {L"SettingUtilFile", L""},
        {L"DefaultRecordPath", L""},
        {L"ImageCapturePath", L""},
        {L"RecordNamePrefix", L""},
        {L"RecordNameTimeFormat", L""},
        {L"ImageNamePrefix", L""},
        {L"ImageNameTimeFormat", L""},
        {L"ImageCaptureScale", L"100.000000"},
        {L"ImageCaptureFileFormat", L"image/bmp"},
        {L"ImageCaptureCroppingRect", L"0,0,1920,1080"}};
    for (const auto& [entry, value] : texts)
        EXPECT_EQ(std::optional<std::wstring>(value), ReadString(entry));
    // At the origin, fitted to the picture as far as the screen allows.
    EXPECT_EQ(0u, ReadString(L"WindowState").value_or(L"").rfind(L"1,0,0,", 0));
    EXPECT_NE(std::optional<std::wstring>(L"1,0,0,640,480"), ReadString(L"WindowState"));
    EXPECT_FALSE(ReadDword(L"RegisterFilterGraph"));
    EXPECT_TRUE(ReadString(L"Bars", L"Software\\Tavrik\\Tavrik\\ToolBar\\State"));

    wchar_t localAppData[MAX_PATH];
    ASSERT_HRESULT_SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData));
    const DWORD attributes = GetFileAttributesW((std::wstring(localAppData) + L"\\Tavrik\\Data").c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(TavrikApp, EverySettingSurvivesARestart)
{
    const std::vector<std::pair<const wchar_t*, DWORD>> numbers = {{L"VideoRenderer", 3},
                                                                   {L"AudioInputType", 2},
                                                                   {L"AudioMute", 1},
                                                                   {L"VideoScale", 6},
                                                                   {L"VideoAspectMode", 5},
                                                                   {L"RecordRule", 1},
                                                                   {L"UseSettingFile", 1},
                                                                   {L"UseSettingFileWait", 750},
                                                                   {L"UseRecLog", 1},
                                                                   {L"RecordNameSerialNumber", 41},
                                                                   {L"RecordNameRule", 7},
                                                                   {L"ImageNameSerialNumber", 0xFFFFFFFF},
                                                                   {L"ImageNameRule", 4},
                                                                   {L"ImageCaptureAspectMode", 3},
                                                                   {L"ImageCaptureCroppingMode", 2},
                                                                   {L"ImageCaptureScaleMode", 1},
                                                                   {L"ImageCaptureClipboard", 1},
                                                                   {L"ImageCaptureColorConversion", 2},
                                                                   {L"WindowMode", 0},
                                                                   {L"StressThread", 1}};
    const std::vector<std::pair<const wchar_t*, std::wstring>> texts = {{L"ZelvanPath", L"C:\\Program Files\\Zelvan"},
                                                                        {L"SettingUtilFile", L"C:\\Zelvan\\設定.cfg"},
                                                                        {L"DefaultRecordPath", L"D:\\録画"},
                                                                        {L"ImageCapturePath", L"D:\\静止画\\"},
                                                                        {L"RecordNamePrefix", L"rec-"},
                                                                        {L"RecordNameTimeFormat", L"%Y-%m-%d"},
                                                                        {L"ImageNamePrefix", L"画像"},
                                                                        {L"ImageNameTimeFormat", L"%H%M%S"},
                                                                        {L"ImageCaptureScale", L"37.500000"},
                                                                        {L"ImageCaptureFileFormat", L"image/jpeg"},
                                                                        {L"ImageCaptureCroppingRect", L"-4,8,1280,720"},
                                                                        {L"WindowState", L"1,30,40,830,640"}};
    for (const auto& [entry, value] : numbers)
        WriteDword(entry, value);
    for (const auto& [entry, value] : texts)
        WriteString(entry, value);
    // Only a user sets this one, by hand; the program never writes it.
    WriteString(L"RegisterFilterGraph", L"left alone");
    {
        const WineOpenGlRenderer direct3d9;  // the run previews with the VMR-9
        TavrikRun run;
        ASSERT_NE(nullptr, run.Window());
        const RECT rect = Rect(run.Window());
        EXPECT_EQ(30, rect.left);
        EXPECT_EQ(40, rect.top);
        EXPECT_EQ(830, rect.right);
        EXPECT_EQ(640, rect.bottom);
        ASSERT_TRUE(run.Close());
    }
    for (const auto& [entry, value] : numbers)
        EXPECT_EQ(std::optional<DWORD>(value), ReadDword(entry)) << "number " << std::wstring(entry).size();
    for (const auto& [entry, value] : texts)
        EXPECT_EQ(std::optional<std::wstring>(value), ReadString(entry));
    EXPECT_EQ(std::optional<std::wstring>(L"left alone"), ReadString(L"RegisterFilterGraph"));
}

TEST_F(TavrikApp, DamagedSettingsGiveDefaultsAndNeverStopTheProgram)
{
    WriteString(L"VideoRenderer", L"2");
    const unsigned char bytes[] = {1, 2, 3};
    Write(L"AudioMute", REG_BINARY, bytes, sizeof bytes);
    WriteDword(L"RecordNamePrefix", 5);
    WriteDword(L"ImageCaptureFileFormat", 7);
    WriteString(L"ImageCaptureScale", L"abc");
    WriteString(L"ImageCaptureCroppingRect", L"10,20");
    const std::wstring longPath(60000, L'長');
    WriteString(L"ZelvanPath", longPath);
    WriteString(L"WindowState", L"1,0,0,x");
    WriteString(L"Bars", L"garbage;;59392:Q:1;" + std::wstring(20000, L';'),
                L"Software\\Tavrik\\Tavrik\\ToolBar\\State");
    {
        TavrikRun run;
        ASSERT_NE(nullptr, run.Window());
        const RECT rect = Rect(run.Window());
        EXPECT_EQ(0, rect.left);
        EXPECT_EQ(640, rect.right);
        EXPECT_TRUE(IsWindowVisible(Descendant(run.Window(), 0xE800)));
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"VideoRenderer"));
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"AudioMute"));
    EXPECT_EQ(std::optional<std::wstring>(L""), ReadString(L"RecordNamePrefix"));
    EXPECT_EQ(std::optional<std::wstring>(L"image/bmp"), ReadString(L"ImageCaptureFileFormat"));
    EXPECT_EQ(std::optional<std::wstring>(L"0.000000"), ReadString(L"ImageCaptureScale"));
    EXPECT_EQ(std::optional<std::wstring>(L"10,20,0,0"), ReadString(L"ImageCaptureCroppingRect"));
    EXPECT_EQ(std::optional<std::wstring>(longPath), ReadString(L"ZelvanPath"));
    EXPECT_EQ(std::optional<std::wstring>(L"1,0,0,640,480"), ReadString(L"WindowState"));
}

TEST_F(TavrikApp, AMaximisedWindowOpensMaximisedAndKeepsItsRestoredRectangle)
{
    WriteString(L"WindowState", L"3,20,30,520,430");
    WriteString(L"ImageCaptureScale", L"150");
    {
        TavrikRun run;
        ASSERT_NE(nullptr, run.Window());
        EXPECT_TRUE(IsZoomed(run.Window()));
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(std::optional<std::wstring>(L"3,20,30,520,430"), ReadString(L"WindowState"));
    EXPECT_EQ(std::optional<std::wstring>(L"150.000000"), ReadString(L"ImageCaptureScale"));
}

TEST_F(TavrikApp, CommandsChangeWhatIsSavedAndTheBarsKeepTheirPlace)
{
    WriteString(L"Bars", L"59393:B:1;59392:L:1;59397:B:1", L"Software\\Tavrik\\Tavrik\\ToolBar\\State");
    {
        TavrikRun run;
        HWND window = run.Window();
        ASSERT_NE(nullptr, window);
        // The toolbar stands on the left side.
        RECT client;
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const RECT toolbar = Rect(Descendant(window, 0xE800));
        EXPECT_EQ(client.left, toolbar.left);
        EXPECT_GT(toolbar.bottom - toolbar.top, toolbar.right - toolbar.left);

        // Dragged by its gripper (the top of a standing bar) to the right edge, it docks there.
        HWND bar = Descendant(window, 0xE800);
        const int dropX = client.right - 3 - toolbar.left;
        PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 3));
        PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(dropX, 100));
        EXPECT_TRUE(WaitFor([&] { return Rect(bar).right == client.right; }, 5000)) << "docked on the right";

        for (WPARAM command : {32800, 32791, 32792, 32830, 32840})
            PostMessageW(window, WM_COMMAND, command, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(Descendant(window, 0xE805)); }, 5000));
        // Media keys: Record is taken, Volume Up is not Tavrik's.
        EXPECT_EQ(1, SendMessageW(window, WM_APPCOMMAND, 0, MAKELPARAM(0, 48)));
        EXPECT_EQ(0, SendMessageW(window, WM_APPCOMMAND, 0, MAKELPARAM(0, 10)));
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(std::optional<DWORD>(2), ReadDword(L"VideoRenderer"));
    EXPECT_EQ(std::optional<DWORD>(2), ReadDword(L"AudioInputType"));
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"AudioMute"));
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"StressThread"));
    EXPECT_EQ(std::optional<std::wstring>(L"59393:B:1;59397:B:0;59392:R:1"),
              ReadString(L"Bars", L"Software\\Tavrik\\Tavrik\\ToolBar\\State"));
    {
        // The load thread runs again and the information bar stays hidden; stop the thread.
        TavrikRun run;
        ASSERT_NE(nullptr, run.Window());
        EXPECT_FALSE(IsWindowVisible(Descendant(run.Window(), 0xE805)));
        PostMessageW(run.Window(), WM_COMMAND, 32830, 0);
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"StressThread"));
}

BOOL CALLBACK FindAbout(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == found->first && IsWindowVisible(window) && Text(window) == L"Tavrikのバージョン情報") {
        found->second = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(TavrikApp, ASecondCopyBringsTheFirstForwardWithItsDialogAndEnds)
{
    TavrikRun first;
    HWND window = first.Window();
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }, 5000));
    PostMessageW(window, WM_COMMAND, 57664, 0);
    std::pair<DWORD, HWND> about{first.Id(), nullptr};
    ASSERT_TRUE(WaitFor([&] {
        EnumWindows(FindAbout, reinterpret_cast<LPARAM>(&about));
        return about.second != nullptr;
    }));

    const DWORD started = GetTickCount();
    TavrikRun second;
    EXPECT_EQ(std::optional<DWORD>(0), second.WaitForExit());
    EXPECT_GE(GetTickCount() - started, 1000u) << "it waits a second after finding the window";
    EXPECT_EQ(1, CountMainWindows());
    EXPECT_FALSE(IsIconic(window)) << "restored";
    // On Windows the dialog ends up in front. Wine carries out the activation of
    // another process's windows asynchronously and may finish with the dialog's
    // disabled owner active, so either of the first copy's two windows counts.
    EXPECT_TRUE(WaitFor(
        [&] {
            const HWND front = GetForegroundWindow();
            return front == about.second || front == window;
        },
        5000))
        << "the first copy is in front";
    EXPECT_TRUE(IsWindowVisible(about.second));

    PostMessageW(about.second, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about.second); }, 5000));
    EXPECT_TRUE(first.Close());
}

TEST_F(TavrikApp, ACopyUnderAnotherNameHasItsOwnInstanceAndSettings)
{
    const std::wstring copy = BinFolder() + L"Zorbik.exe";
    ASSERT_TRUE(CopyFileW((BinFolder() + L"Tavrik.exe").c_str(), copy.c_str(), FALSE));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zorbik");
    {
        TavrikRun tavrik;
        ASSERT_NE(nullptr, tavrik.Window());
        TavrikRun zorbik(copy);
        ASSERT_NE(nullptr, zorbik.Window()) << "the copy runs beside the original";
        EXPECT_EQ(2, CountMainWindows());
        EXPECT_TRUE(zorbik.Close());
        EXPECT_TRUE(tavrik.Close());
    }
    EXPECT_TRUE(ReadDword(L"VideoRenderer", L"Software\\Zorbik\\Tavrik\\Settings"));
    EXPECT_TRUE(ReadDword(L"VideoRenderer"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zorbik");
    DeleteFileW(copy.c_str());
}

}  // namespace
