// The card configuration written at every start, the companion programs and the
// graph diagnostics, through the real Tavrik.exe and the simulated card.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../cardsim/SimControl.h"
#include "../engine/CardTestSupport.h"
#include "ScreenPicture.h"
#include "SheetDriver.h"
#include "TavrikFixture.h"
#include "TavrikProcess.h"
#include "RunningGraphs.h"
#include "TavrikRecordProfile.h"

namespace {

constexpr WPARAM kRecordStart = 32781;
constexpr WPARAM kRecordStop = 32782;
constexpr WPARAM kPreview = 32783;
constexpr WPARAM kI2CUtility = 32831;
constexpr WPARAM kSettingUtility = 32832;
constexpr WPARAM kMultiplexerPages = 32876;
constexpr wchar_t kCardFolder[] = L"C:\\Program Files\\Zelvan";

// The eight writes of a configuration, for comparing with the library's log.
std::vector<std::string> Writes(const char* redGain, const char* redOffset, const char* mode)
{
    return {
        std::string("write device=98 register=05 length=2 data=") + redGain + " 00",
        "write device=98 register=07 length=2 data=64 00",
        "write device=98 register=09 length=2 data=60 00",
        std::string("write device=98 register=0B length=2 data=") + redOffset,
        "write device=98 register=0D length=2 data=08 00",
        "write device=98 register=0F length=2 data=04 00",
        std::string("write device=98 register=1B length=1 data=") + mode,
        "write device=98 register=3C length=1 data=00",
    };
}

std::vector<std::string> Repeated(const std::vector<std::string>& lines, int times)
{
    std::vector<std::string> all;
    for (int i = 0; i < times; ++i)
        all.insert(all.end(), lines.begin(), lines.end());
    return all;
}

// Another process's current directory, from its process parameters.
std::wstring CurrentDirectoryOf(DWORD process)
{
    // Offsets of the x64 layouts: PEB.ProcessParameters, and CurrentDirectory.DosPath in it.
    constexpr size_t kParametersOffset = 0x20;
    constexpr size_t kCurrentDirectoryOffset = 0x38;
    using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE target = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process);
    std::wstring folder;
    PROCESS_BASIC_INFORMATION basic{};
    char* parameters = nullptr;
    UNICODE_STRING path{};
    if (target && query && query(target, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(target, reinterpret_cast<char*>(basic.PebBaseAddress) + kParametersOffset, &parameters,
                          sizeof parameters, nullptr) &&
        ReadProcessMemory(target, parameters + kCurrentDirectoryOffset, &path, sizeof path, nullptr)) {
        folder.resize(path.Length / sizeof(wchar_t));
        ReadProcessMemory(target, path.Buffer, folder.data(), path.Length, nullptr);
    }
    if (target)
        CloseHandle(target);
    return folder;
}

class TavrikTools : public TavrikTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TavrikTest::SetUp());
        logFolder = control.FreshLogFolder(L"cardtools-tavrik-tools");
    }
    void TearDown() override
    {
        DeleteFileW(RecordProfilePath().c_str());
        TavrikTest::TearDown();
    }

    std::vector<std::string> LogLines(const char* file) const
    {
        std::vector<std::string> lines;
        std::ifstream in(logFolder / file);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(0, line.find('\r')));
        return lines;
    }
    // The library's log once it holds `count` lines (or what it holds after the wait).
    std::vector<std::string> BusWrites(size_t count) const
    {
        WaitFor([&] { return LogLines("i2c.log").size() >= count; }, 10000);
        return LogLines("i2c.log");
    }

    // The card configuration applied from `content` at every start.
    std::wstring UseCardConfig(const std::string& content)
    {
        const std::filesystem::path file = logFolder / "card.cfg";
        std::ofstream(file) << content;
        WriteString(L"ZelvanPath", kCardFolder);
        WriteString(L"SettingUtilFile", file.wstring());
        WriteDword(L"UseSettingFile", 1);
        return file.wstring();
    }

    // Recordings of this test go to a folder of their own, without a report.
    void PrepareRecording()
    {
        WriteRecordProfile(kMuxMonikerName);
        const std::filesystem::path folder = logFolder / "recordings";
        std::filesystem::create_directories(folder);
        WriteDword(L"RecordRule", 1);
        WriteString(L"DefaultRecordPath", folder.wstring());
        WriteString(L"RecordNamePrefix", L"tools");
        WriteDword(L"RecordNameRule", 4);
    }

    static bool WaitForStatus(TavrikRun& run, const std::wstring& status)
    {
        const bool shown = WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == status; });
        if (!shown)
            ADD_FAILURE() << "the status line shows \"" << Narrow(PaneText(run.Id(), run.Window(), 0)) << "\"";
        return shown;
    }

    // Another program's menu states cannot be read under Wine (its menus belong to
    // their process), so the test sees them in what a command does: the framework
    // runs only enabled commands.
    static bool OpensNoWindow(TavrikRun& run, WPARAM command)
    {
        PostMessageW(run.Window(), WM_COMMAND, command, 0);
        Sleep(1500);
        return WindowOf(run.Id(), L"#32770") == nullptr;
    }

    // Runs the command, waits for its property frame and closes it; the frame's tabs.
    std::vector<std::wstring> OpenAndCloseFrame(TavrikRun& run, WPARAM command)
    {
        PostMessageW(run.Window(), WM_COMMAND, command, 0);
        HWND frame = nullptr;
        WaitFor(
            [&] {
                frame = TabbedDialog(run.Id());
                return frame != nullptr;
            },
            10000);
        if (!frame)
            return {};
        EXPECT_EQ(nullptr, GetParent(frame)) << "a top-level window";
        // Wine's frame has no owner; Windows' is owned by the window it was given.
        if (!RunsUnderWine()) {
            EXPECT_EQ(run.Window(), GetWindow(frame, GW_OWNER));
        }
        const std::vector<std::wstring> tabs = TabTexts(run.Id(), frame);
        Sleep(500);  // painted, for the look at it afterwards
        ScreenPicture::Of(frame).SaveBmp((logFolder / ("frame-" + std::to_string(command) + ".bmp")).wstring());
        PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(frame); }, 10000)) << "the frame closes";
        return tabs;
    }

    SimControl control;
    std::filesystem::path logFolder;
};

TEST_F(TavrikTools, DefaultsReachTheCardAtEveryPreviewAndRecordStart)
{
    UseCardConfig("");  // an empty file: every key at its default
    PrepareRecording();
    SetCardValue(L"Input", L"1080i");
    TavrikRun run;
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    const std::vector<std::string> defaults = Writes("61", "04 00", "1B");
    EXPECT_EQ(defaults, BusWrites(8));

    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ(Repeated(defaults, 2), BusWrites(16));
    // The preview that comes back is a start of its own.
    PostMessageW(run.Window(), WM_COMMAND, kRecordStop, 0);
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    EXPECT_EQ(Repeated(defaults, 3), BusWrites(24));
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
}

TEST_F(TavrikTools, TheFileSetsGainOffsetAndModeAndEachNewInputIsWrittenAgain)
{
    UseCardConfig("[Config]\niRGain=300\niROffset=1023\nbAutoOffset=1\n");
    SetCardValue(L"Input", L"480p");
    TavrikRun run;
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    const std::vector<std::string> standard = Writes("2C", "FF C0", "33");
    EXPECT_EQ(standard, BusWrites(8));

    SetCardValue(L"Input", L"720p");
    std::vector<std::string> both = standard;
    for (const std::string& line : Writes("2C", "FF C0", "3B"))
        both.push_back(line);
    EXPECT_EQ(both, BusWrites(16));
}

TEST_F(TavrikTools, NothingIsWrittenWithoutAFileWithoutTheSettingOrWithoutTheLibrary)
{
    const std::wstring file = UseCardConfig("[Config]\niRGain=1\n");
    const auto previewQuietly = [&](const std::wstring& exe) {
        TavrikRun run(exe);
        ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
        Sleep(1000);
        EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
        // Started in the test's bin folder, it stays there after loading the library (or not).
        EXPECT_EQ(BinFolder(), CurrentDirectoryOf(run.Id()));
        ASSERT_TRUE(run.Close());
    };

    WriteString(L"SettingUtilFile", L"");
    previewQuietly(BinFolder() + L"Tavrik.exe");
    WriteString(L"SettingUtilFile", file);
    WriteDword(L"UseSettingFile", 0);
    previewQuietly(BinFolder() + L"Tavrik.exe");
    WriteString(L"ZelvanPath", L"");
    WriteDword(L"UseSettingFile", 1);
    previewQuietly(BinFolder() + L"Tavrik.exe");

    // A program folder without VendorCmdZV.dll.
    WriteString(L"ZelvanPath", kCardFolder);
    const std::filesystem::path alone = logFolder / "without-library";
    std::filesystem::create_directories(alone);
    std::filesystem::copy_file(BinFolder() + L"Tavrik.exe", alone / "Tavrik.exe");
    previewQuietly((alone / "Tavrik.exe").wstring());
    EXPECT_TRUE(LogLines("i2c.log").empty());
}

TEST_F(TavrikTools, CompanionProgramsStartFromTheCardFolderOnlyWhenOneIsSet)
{
    WriteDword(L"Preview", 0);
    {
        WriteString(L"ZelvanPath", L"");
        TavrikRun run;
        ASSERT_TRUE(run.Window());
        PostMessageW(run.Window(), WM_COMMAND, kSettingUtility, 0);
        PostMessageW(run.Window(), WM_COMMAND, kI2CUtility, 0);
        Sleep(2000);
        EXPECT_EQ(nullptr, FindWindowW(L"ZelvanSimUtility", nullptr)) << "both commands are disabled";
        ASSERT_TRUE(run.Close());
    }
    {
        WriteString(L"ZelvanPath", std::wstring(L"C:\\") + std::wstring(258, L'z'));
        TavrikRun run;
        ASSERT_TRUE(run.Window());
        PostMessageW(run.Window(), WM_COMMAND, kI2CUtility, 0);
        std::wstring text;
        ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id(), &text) != nullptr; }, 10000));
        EXPECT_EQ(L"Zelvan インストールパスが長すぎます。260文字以内のフォルダーを設定してください。", text);
        HWND box = MessageBoxOf(run.Id());
        Sleep(500);  // painted, for the look at it afterwards
        ScreenPicture::Of(box).SaveBmp((logFolder / "long-folder.bmp").wstring());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(run.Close());
    }
    {
        WriteString(L"ZelvanPath", kCardFolder);
        TavrikRun run;
        ASSERT_TRUE(run.Window());
        for (WPARAM command : {kSettingUtility, kI2CUtility}) {
            PostMessageW(run.Window(), WM_COMMAND, command, 0);
            HWND utility = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (utility = FindWindowW(L"ZelvanSimUtility", nullptr)) != nullptr; }));
            PostMessageW(utility, WM_CLOSE, 0, 0);
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(utility); }));
        }
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ((std::vector<std::string>{"ZV_SetUtil.exe started in C:\\Program Files\\Zelvan with \"\"",
                                        "ZV_I2CUtil.exe started in C:\\Program Files\\Zelvan with \"\""}),
              LogLines("utilities.log"));
}

TEST_F(TavrikTools, PropertyFramesOfThePreviewAndTheMultiplexerWhileRecording)
{
    PrepareRecording();
    TavrikRun run;
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    EXPECT_EQ((std::vector<std::wstring>{L"Crossbar"}), OpenAndCloseFrame(run, 32872));
    EXPECT_EQ((std::vector<std::wstring>{L"Video Decoder"}), OpenAndCloseFrame(run, 32873));
    EXPECT_EQ((std::vector<std::wstring>{L"Stream Format"}), OpenAndCloseFrame(run, 32874));
    EXPECT_EQ((std::vector<std::wstring>{L"Stream Format"}), OpenAndCloseFrame(run, 32875));
    for (WPARAM command : {32879, 32880}) {
        if (RunsUnderWine()) {
            // Wine's renderers offer no pages: the command opens nothing and says nothing.
            EXPECT_TRUE(OpensNoWindow(run, command)) << command;
        } else {
            EXPECT_FALSE(OpenAndCloseFrame(run, command).empty()) << command;
        }
    }
    EXPECT_TRUE(OpensNoWindow(run, kMultiplexerPages)) << "the multiplexer's frame needs a recording";

    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ((std::vector<std::wstring>{L"共通", L"AVI 1", L"統計", L"タイムシフト"}),
              OpenAndCloseFrame(run, kMultiplexerPages));
    EXPECT_EQ((std::vector<std::wstring>{L"Stream Format"}), OpenAndCloseFrame(run, 32875));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStop, 0);
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_COMMAND, kPreview, 0);
    ASSERT_TRUE(WaitForStatus(run, L"停止中"));
    EXPECT_TRUE(OpensNoWindow(run, 32873)) << "no frames without a running graph";
}

TEST_F(TavrikTools, EveryRunningGraphHasOneEntryInTheRunningObjectTable)
{
    PrepareRecording();
    WriteDword(L"RegisterFilterGraph", 1);
    {
        TavrikRun run;
        ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
        EXPECT_EQ(1u, GraphMonikersOf(run.Id()).size()) << "previewing";
        PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
        ASSERT_TRUE(WaitForStatus(run, L"録画中"));
        EXPECT_EQ(1u, GraphMonikersOf(run.Id()).size()) << "recording";
        PostMessageW(run.Window(), WM_COMMAND, kRecordStop, 0);
        ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
        EXPECT_EQ(1u, GraphMonikersOf(run.Id()).size()) << "previewing again";
        PostMessageW(run.Window(), WM_COMMAND, kPreview, 0);
        ASSERT_TRUE(WaitForStatus(run, L"停止中"));
        EXPECT_EQ(0u, GraphMonikersOf(run.Id()).size()) << "stopped";
        ASSERT_TRUE(run.Close());
    }
    WriteDword(L"RegisterFilterGraph", 0);
    WriteDword(L"Preview", 1);  // the stopped run stored 0
    TavrikRun run;
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    EXPECT_EQ(0u, GraphMonikersOf(run.Id()).size());
}

}  // namespace
