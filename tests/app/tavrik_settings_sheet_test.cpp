// The settings sheet of the real Tavrik.exe, driven through its controls: the first
// record profile, a recording made with it, the record command that asks for the
// sheet, Cancel, the remembered page, the checks of the still image and other
// pages, and profiles that cannot be read back or written whole.
// check_settings_sheet.py reads the profiles with olefile and the recordings with
// ffprobe and ffmpeg afterwards.
#include <windows.h>
#include <mmreg.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../engine/CardTestSupport.h"
#include "MuxGraphSupport.h"
#include "MjpegState.h"
#include "profiles/CurrentProfiles.h"
#include "RunningGraphs.h"
#include "ScreenShots.h"
#include "SheetDriver.h"
#include "TavrikFixture.h"
#include "TavrikRecordProfile.h"

namespace {

constexpr WPARAM kRecordStop = 32782;
constexpr WPARAM kPreview = 32783;
constexpr int kRecordPage = 0;
constexpr int kStillImagePage = 2;
constexpr int kOtherPage = 3;
constexpr wchar_t kTrelvox[] = L"Pelkor AVI Mux";
constexpr wchar_t kUncompressed[] = L" 無圧縮";
constexpr wchar_t kSelectAllFilters[] = L"全てのフィルタを選択してください。";
constexpr wchar_t kG711At44100[] = L"Stand-in G.711 Audio Compressor (44100 Hz)";
constexpr wchar_t kG711[] = L"Stand-in G.711 Audio Compressor";
constexpr wchar_t kMotionJpeg[] = L"Stand-in Motion JPEG Compressor";
constexpr wchar_t kNoFormat[] = L"この入力フォーマットに対応したフォーマットはありません";
constexpr wchar_t kAudioFormatTitle[] = L"オーディオフォーマットの設定";
constexpr wchar_t kDetailTitle[] = L"出力フォーマットの選択";
constexpr int kInputRows = 6;
constexpr wchar_t kGoneFilter[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{0BAD0BAD-0000-4000-8000-00000000BAD0}";

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A record profile with Trelvox and no compressors, as a test's starting point.
void WriteTrelvoxProfile()
{
    RecordProfile profile;
    profile.videoCompressor = {kUncompressed, NullVideoDisplayName(), nullptr, nullptr};
    profile.audioCompressor = {kUncompressed, NullAudioDisplayName(), nullptr, nullptr};
    profile.mux = {kTrelvox, kMuxMonikerName, nullptr, nullptr};
    ASSERT_EQ(S_OK, BindMuxByMoniker(&profile.mux.filter));
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(RecordProfilePath(), profile));
}

class TavrikSettingsSheet : public TavrikTest {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryW(L"tavrik-sheet", nullptr);
        DeleteFileW(L"tavrik-sheet\\recordings.txt");
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TavrikTest::SetUp());
        DeleteFileW(RecordProfilePath().c_str());
        DeleteFileW(PreviewProfilePath().c_str());
        SetCardValue(L"Input", L"480i");
        folder = FullPath(L"tavrik-sheet\\" + CaseName());
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        RemoveRecordings();
        RecordInto(folder, L"sheet");
    }
    void TearDown() override
    {
        DeleteFileW(RecordProfilePath().c_str());
        DeleteFileW(PreviewProfilePath().c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kStandinFaults);
        TavrikTest::TearDown();
    }

    // Makes the stand-in compressors misbehave (see thirdparty/README.md).
    static void SetStandinFault(const wchar_t* name, DWORD value)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, kStandinFaults, name, REG_DWORD, &value, sizeof value);
    }
    static constexpr wchar_t kStandinFaults[] = L"Software\\StandinCodecs";

    static bool WaitForStatus(TavrikRun& run, const std::wstring& status)
    {
        const bool shown = WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == status; });
        if (!shown)
            ADD_FAILURE() << "the status line shows \"" << Narrow(PaneText(run.Id(), run.Window(), 0)) << "\"";
        return shown;
    }

    // The sheet, opened once the started Tavrik previews; null (with the failure told) otherwise.
    static HWND OpenSheetWhilePreviewing(TavrikRun& run)
    {
        if (!run.Window()) {
            ADD_FAILURE() << "Tavrik shows no main window";
            return nullptr;
        }
        return WaitForStatus(run, L"プレビュー中") ? OpenSettingsSheet(run) : nullptr;
    }

    // Left over when the probe did not run after an earlier run.
    void RemoveRecordings()
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*.avi").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        while (FindNextFileW(search, &found));
        FindClose(search);
    }

    // The record page's choices of a first profile: no video compressor, Trelvox.
    static void ChooseUncompressedAndTrelvox(HWND page)
    {
        ASSERT_TRUE(PickComboItem(page, 1013, kUncompressed));
        ASSERT_TRUE(PickComboItem(page, 1018, kTrelvox));
    }

    static bool CloseSheet(HWND sheet, int button)
    {
        PostMessageW(GetDlgItem(sheet, button), BM_CLICK, 0, 0);
        return WaitFor([&] { return !IsWindow(sheet); }, 10000);
    }

    // Clicks the page's button and closes the property frame it opens; the frame's tabs.
    static std::vector<std::wstring> FrameTabsOfButton(TavrikRun& run, HWND sheet, HWND page, int button)
    {
        EXPECT_TRUE(IsEnabled(page, button)) << button;
        Click(page, button);
        HWND frame = nullptr;
        WaitFor([&] { return (frame = TabbedDialog(run.Id(), sheet)) != nullptr; }, 10000);
        if (!frame)
            return {};
        const std::vector<std::wstring> tabs = TabTexts(run.Id(), frame);
        PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(frame); }, 10000)) << "the frame of " << button << " closes";
        return tabs;
    }

    // Records a few seconds with the record command and notes the file with the streams
    // the probe must find: video codec, audio codec, channels and rate.
    void RecordBriefly(TavrikRun& run, const std::string& streams = "rawvideo pcm_s16le 2 48000")
    {
        ASSERT_TRUE(WaitForStatus(run, L"録画中"));
        Sleep(3000);
        PostMessageW(run.Window(), WM_COMMAND, kRecordStop, 0);
        ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*.avi").c_str(), &found);
        ASSERT_NE(INVALID_HANDLE_VALUE, search) << "no recording in " << Narrow(folder);
        FindClose(search);
        std::ofstream note("tavrik-sheet\\recordings.txt", std::ios::app);
        note << Narrow(CaseName()) << '/' << Narrow(found.cFileName) << ' ' << streams << '\n';
    }

    std::wstring folder;
};

TEST_F(TavrikSettingsSheet, FirstRecordProfileIsRefusedUntilEveryFilterIsChosenThenRecords)
{
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    EXPECT_EQ(L"", ComboSelection(page, 1013));
    EXPECT_EQ(L"", ComboSelection(page, 1018));
    EXPECT_EQ(kUncompressed, ComboSelection(page, 1014));
    EXPECT_EQ(kUncompressed, ComboItems(page, 1013).front());
    EXPECT_EQ((std::vector<std::wstring>{L"制御しない", L"通常", L"高", L"リアルタイム"}), ComboItems(page, 1045));
    EXPECT_EQ(L"制御しない", ComboSelection(page, 1045));
    EXPECT_TRUE(IsChecked(page, 1026));
    EXPECT_FALSE(IsChecked(page, 1025));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, 1020)));

    TurnToPage(sheet, 1);
    EXPECT_EQ(kSelectAllFilters, AnswerMessageBox(run.Id()));
    EXPECT_EQ(kRecordPage, CurrentPageIndex(sheet));
    // The video compressor alone is not enough.
    ASSERT_TRUE(PickComboItem(page, 1013, kUncompressed));
    for (int button : {1015, 1016, 1017})
        EXPECT_FALSE(IsEnabled(page, button)) << button;
    Click(sheet, IDOK);
    EXPECT_EQ(kSelectAllFilters, AnswerMessageBox(run.Id()));
    ASSERT_TRUE(IsWindow(sheet));
    EXPECT_FALSE(Exists(RecordProfilePath()));

    ASSERT_TRUE(PickComboItem(page, 1018, kTrelvox));
    EXPECT_TRUE(IsEnabled(page, 1022)) << "Trelvox has property pages";
    ASSERT_TRUE(CloseSheet(sheet, IDOK));
    ASSERT_TRUE(Exists(RecordProfilePath()));
    ASSERT_TRUE(CopyFileW(RecordProfilePath().c_str(), L"tavrik-sheet\\first-use-record.dat", FALSE));
    EXPECT_FALSE(Exists(PreviewProfilePath())) << "the preview page was never shown";
    EXPECT_TRUE(WaitFor([&] { return Text(Descendant(run.Window(), 1030)) == kTrelvox; }, 5000));
    EXPECT_EQ(kUncompressed, Text(Descendant(run.Window(), 1028)));

    PressCtrlKey(run.Window(), 'R');
    RecordBriefly(run);
}

TEST_F(TavrikSettingsSheet, RecordCommandWithoutProfileAsksForTheSheetAndRecordsOnceConfirmed)
{
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    constexpr wchar_t kNotConfigured[] = L"録画設定がされていません。先に設定する必要があります。";

    PressCtrlKey(run.Window(), 'R');
    EXPECT_EQ(kNotConfigured, AnswerMessageBox(run.Id()));
    HWND sheet = WaitForDialog(run.Id(), L"設定");
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(CloseSheet(sheet, IDCANCEL));
    std::wstring text;
    Sleep(1000);
    EXPECT_EQ(nullptr, MessageBoxAbove(run.Id(), text)) << Narrow(text);
    EXPECT_EQ(L"プレビュー中", PaneText(run.Id(), run.Window(), 0));
    EXPECT_FALSE(Exists(RecordProfilePath()));

    PressCtrlKey(run.Window(), 'R');
    EXPECT_EQ(kNotConfigured, AnswerMessageBox(run.Id()));
    sheet = WaitForDialog(run.Id(), L"設定");
    ASSERT_NE(nullptr, sheet);
    ChooseUncompressedAndTrelvox(CurrentPage(sheet));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));
    RecordBriefly(run);
}

TEST_F(TavrikSettingsSheet, CancelKeepsBothProfilesAndOkLeavesAnUnshownPreviewPageAlone)
{
    WriteTrelvoxProfile();
    PreviewProfile preview;
    preview.options.deinterlaceWhileRecording = 1;
    preview.options.priorityClass = 128;
    preview.filters.push_back({kUncompressed, NullVideoDisplayName(), nullptr, nullptr});
    ASSERT_HRESULT_SUCCEEDED(WritePreviewProfile(PreviewProfilePath(), preview));
    const std::string record = FileBytes(RecordProfilePath());
    const std::string previewBytes = FileBytes(PreviewProfilePath());

    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    EXPECT_EQ(kTrelvox, ComboSelection(page, 1018));
    EXPECT_EQ(kUncompressed, ComboSelection(page, 1013));
    EXPECT_EQ(L"通常", ComboSelection(page, 1045));
    Click(page, 1025);
    ASSERT_TRUE(ShowPage(sheet, 1));
    EXPECT_TRUE(IsChecked(CurrentPage(sheet), 1037));
    EXPECT_EQ(L"高", ComboSelection(CurrentPage(sheet), 1045));
    Click(CurrentPage(sheet), 1039);
    ASSERT_TRUE(CloseSheet(sheet, IDCANCEL));
    EXPECT_EQ(record, FileBytes(RecordProfilePath()));
    EXPECT_EQ(previewBytes, FileBytes(PreviewProfilePath()));

    // The sheet opens on the record page again: Cancel does not remember the page.
    sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(kRecordPage, CurrentPageIndex(sheet));
    EXPECT_FALSE(IsChecked(CurrentPage(sheet), 1025));
    Click(CurrentPage(sheet), 1025);
    ASSERT_TRUE(CloseSheet(sheet, IDOK));
    EXPECT_EQ(previewBytes, FileBytes(PreviewProfilePath()));
    RecordProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(RecordProfilePath(), written));
    EXPECT_EQ(1u, written.options.noPreviewWhileRecording);
    EXPECT_EQ(kMuxMonikerName, written.mux.displayName);
}

TEST_F(TavrikSettingsSheet, AProfileWhoseMultiplexerCannotBeBoundLeavesNoChoiceAndCannotBeLeft)
{
    RecordProfile profile;
    profile.videoCompressor = {kUncompressed, NullVideoDisplayName(), nullptr, nullptr};
    profile.audioCompressor = {kUncompressed, NullAudioDisplayName(), nullptr, nullptr};
    profile.mux = {L"Gone", kGoneFilter, nullptr, nullptr};
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(RecordProfilePath(), profile));
    const std::string stored = FileBytes(RecordProfilePath());
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    for (int combo : {1013, 1014, 1018})
        EXPECT_EQ(L"", ComboSelection(page, combo)) << combo;
    for (int button : {1015, 1016, 1017, 1019, 1021, 1022})
        EXPECT_FALSE(IsEnabled(page, button)) << button;
    Click(sheet, IDOK);
    EXPECT_EQ(kSelectAllFilters, AnswerMessageBox(run.Id()));
    ASSERT_TRUE(CloseSheet(sheet, IDCANCEL));
    EXPECT_EQ(stored, FileBytes(RecordProfilePath()));
}

TEST_F(TavrikSettingsSheet, RecordPageButtonsOpenTheCompressorDialogsAndThePropertyFrames)
{
    WriteTrelvoxProfile();
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    for (int button : {1015, 1016, 1017, 1021})
        EXPECT_FALSE(IsEnabled(page, button)) << "nothing to configure without compressors: " << button;
    EXPECT_EQ((std::vector<std::wstring>{L"共通", L"AVI 1", L"統計", L"タイムシフト"}),
              FrameTabsOfButton(run, sheet, page, 1022));

    ASSERT_TRUE(PickComboItem(page, 1013, kMotionJpeg));
    EXPECT_FALSE(IsEnabled(page, 1017)) << "the Motion JPEG compressor has no property pages";
    EXPECT_TRUE(IsEnabled(page, 1015));
    Click(page, 1015);
    HWND config = WaitForDialog(run.Id(), L"Motion JPEG Compressor");
    ASSERT_NE(nullptr, config);
    SendMessageW(FindWindowExW(config, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"40"));
    ASSERT_TRUE(CloseSheet(config, IDOK));
    EXPECT_TRUE(IsEnabled(page, 1016));
    Click(page, 1016);
    EXPECT_EQ(0u, AnswerMessageBox(run.Id()).find(L"Stand-in Motion JPEG Compressor")) << "its about box";

    ASSERT_TRUE(PickComboItem(page, 1014, kG711));
    EXPECT_EQ((std::vector<std::wstring>{L"G.711"}), FrameTabsOfButton(run, sheet, page, 1021));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));

    RecordProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(RecordProfilePath(), written));
    ComPtr<IAMVfwCompressDialogs> dialogs;
    ASSERT_TRUE(written.videoCompressor.filter);
    ASSERT_HRESULT_SUCCEEDED(written.videoCompressor.filter->QueryInterface(
        IID_IAMVfwCompressDialogs, reinterpret_cast<void**>(dialogs.GetAddressOf())));
    std::array<std::uint8_t, standin::kMjpegStateBytes> state{};
    int size = static_cast<int>(state.size());
    ASSERT_HRESULT_SUCCEEDED(dialogs->GetState(state.data(), &size));
    EXPECT_EQ(40, standin::ParseMjpegState(state.data(), static_cast<size_t>(size)))
        << "the quality chosen in its dialog";
}

TEST_F(TavrikSettingsSheet, StillImagePageChecksTheCropAndTheScaleAndTheRegistryKeepsThem)
{
    WriteTrelvoxProfile();
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(ShowPage(sheet, kStillImagePage));
    HWND page = CurrentPage(sheet);
    EXPECT_EQ(L"BMP", ComboSelection(page, 1047));
    EXPECT_EQ(L"SD BT.601/HD BT.709->RGB", ComboSelection(page, 1057));
    EXPECT_FALSE(IsEnabled(page, 1058)) << "the crop edits wait for the direct crop";
    EXPECT_FALSE(IsEnabled(page, 1056));

    Click(page, 1054);
    ASSERT_TRUE(WaitFor([&] { return IsEnabled(page, 1058); }, 5000));
    constexpr wchar_t kTooSmall[] =
        L"クロッピングの開始座標と終了座標の関係が不正です。\n16x16以上の領域を指定してください。";
    const std::vector<std::pair<std::vector<std::wstring>, std::wstring>> refused = {
        // The ranges come first: an end below 16 is out of its range.
        {{L"0", L"0", L"10", L"10"}, L"16 から 1920 までの整数を入力してください。"},
        {{L"100", L"0", L"110", L"1080"}, kTooSmall},
        {{L"0", L"1060", L"1920", L"1070"}, kTooSmall},
        {{L"0", L"0", L"1921", L"1080"}, L"16 から 1920 までの整数を入力してください。"},
        {{L"1905", L"0", L"1920", L"1080"}, L"0 から 1904 までの整数を入力してください。"},
        {{L"0", L"x", L"1920", L"1080"}, L"整数を入力してください。"},
    };
    for (const auto& [edits, message] : refused) {
        for (int i = 0; i < 4; ++i)
            SetEditText(page, 1058 + i, edits[static_cast<size_t>(i)]);
        Click(sheet, IDOK);
        EXPECT_EQ(message, AnswerMessageBox(run.Id())) << Narrow(edits[2]);
        ASSERT_TRUE(IsWindow(sheet));
    }
    for (int i = 0; i < 4; ++i)
        SetEditText(page, 1058 + i, std::vector<std::wstring>{L"0", L"0", L"1920", L"1080"}[static_cast<size_t>(i)]);
    Click(page, 1055);
    SetEditText(page, 1056, L"0.5");
    Click(sheet, IDOK);
    EXPECT_EQ(L"1 から 1000 までの数値を入力してください。", AnswerMessageBox(run.Id()));
    SetEditText(page, 1056, L"150");
    ASSERT_TRUE(PickComboItem(page, 1047, L"PNG"));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));

    ASSERT_TRUE(run.Close());
    EXPECT_EQ(2u, ReadDword(L"ImageCaptureCroppingMode"));
    EXPECT_EQ(L"0,0,1920,1080", ReadString(L"ImageCaptureCroppingRect"));
    EXPECT_EQ(1u, ReadDword(L"ImageCaptureScaleMode"));
    EXPECT_EQ(L"150.000000", ReadString(L"ImageCaptureScale"));
    EXPECT_EQ(L"image/png", ReadString(L"ImageCaptureFileFormat"));
}

TEST_F(TavrikSettingsSheet, OtherPageChecksItsFoldersAndFileAndTheSheetRemembersIt)
{
    WriteTrelvoxProfile();
    const std::wstring configFile = folder + L"\\card.cfg";
    std::ofstream(configFile.c_str()) << "[Zelvan]\n";
    WriteDword(L"RecordRule", 0);
    WriteString(L"DefaultRecordPath", L"");
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(ShowPage(sheet, kOtherPage));
    HWND page = CurrentPage(sheet);
    EXPECT_EQ(L"連番", ComboSelection(page, 1063));
    EXPECT_FALSE(IsEnabled(page, 1031));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, 1039)));

    Click(page, 1034);
    ASSERT_TRUE(WaitFor([&] { return IsEnabled(page, 1031); }, 5000));
    const std::vector<std::pair<std::wstring, std::wstring>> steps = {
        {L"", L"録画保存場所を指定してください。"},
        {folder + L"\\missing", L"録画保存場所が無効です。"},
    };
    for (const auto& [recordFolder, message] : steps) {
        SetEditText(page, 1031, recordFolder);
        Click(sheet, IDOK);
        EXPECT_EQ(message, AnswerMessageBox(run.Id()));
    }
    SetEditText(page, 1031, folder + L"\\");
    SetEditText(page, 1041, folder + L"\\none");
    Click(sheet, IDOK);
    EXPECT_EQ(L"静止画保存場所が無効です。", AnswerMessageBox(run.Id()));
    SetEditText(page, 1041, folder);
    Click(page, 1038);
    ASSERT_TRUE(WaitFor([&] { return IsEnabled(page, 1036); }, 5000));
    Click(sheet, IDOK);
    EXPECT_EQ(L"設定ファイルを指定してください。", AnswerMessageBox(run.Id()));
    for (const std::wstring& wrong : {folder + L"\\", folder + L"\\absent.cfg"}) {
        SetEditText(page, 1036, wrong);
        Click(sheet, IDOK);
        EXPECT_EQ(L"設定ファイルが無効です。", AnswerMessageBox(run.Id())) << Narrow(wrong);
    }
    SetEditText(page, 1036, configFile);
    SetEditText(page, 1065, L"10000");
    ASSERT_TRUE(PickComboItem(page, 1063, L"タイムスタンプ+サイズ+連番"));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));

    sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(kOtherPage, CurrentPageIndex(sheet));
    EXPECT_EQ(folder, Text(GetDlgItem(CurrentPage(sheet), 1031))) << "stored without its trailing backslash";
    ASSERT_TRUE(CloseSheet(sheet, IDCANCEL));

    ASSERT_TRUE(run.Close());
    EXPECT_EQ(1u, ReadDword(L"RecordRule"));
    EXPECT_EQ(folder, ReadString(L"DefaultRecordPath"));
    EXPECT_EQ(folder, ReadString(L"ImageCapturePath"));
    EXPECT_EQ(1u, ReadDword(L"UseSettingFile"));
    EXPECT_EQ(configFile, ReadString(L"SettingUtilFile"));
    EXPECT_EQ(10000u, ReadDword(L"RecordNameSerialNumber")) << "numbers past four digits, as the naming makes them";
    EXPECT_EQ(7u, ReadDword(L"RecordNameRule"));
}

TEST_F(TavrikSettingsSheet, OtherPageTakesAWrappedSerialNumberAndBringsAStoredWaitIntoRange)
{
    WriteTrelvoxProfile();
    WriteDword(L"ImageNameSerialNumber", 0xFFFFFFFF);  // -1, where the naming wraps to after the largest
    WriteDword(L"UseSettingFileWait", 5000);
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(ShowPage(sheet, kOtherPage));
    EXPECT_EQ(L"-1", Text(GetDlgItem(CurrentPage(sheet), 1068)));
    ASSERT_TRUE(CloseSheet(sheet, IDOK)) << "refused: " << Narrow(AnswerMessageBox(run.Id()));
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(0xFFFFFFFFu, ReadDword(L"ImageNameSerialNumber"));
    EXPECT_EQ(1000u, ReadDword(L"UseSettingFileWait"));
}

TEST_F(TavrikSettingsSheet, PreviewFilterThatCannotBeCreatedGivesWayToUncompressedSoThePageCanBeLeft)
{
    WriteTrelvoxProfile();
    PreviewProfile preview;
    preview.filters.push_back({L"Gone", kGoneFilter, nullptr, nullptr});
    ASSERT_HRESULT_SUCCEEDED(WritePreviewProfile(PreviewProfilePath(), preview));
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    TurnToPage(sheet, 1);
    HWND box = ShootMessageBox(run.Id(), L"preview-filter-gone");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(sheet, GetWindow(box, GW_OWNER));
    EXPECT_EQ(0u, AnswerMessageBox(run.Id()).find(
                      L"保存されたデインターレースフィルターを作成できません。「無圧縮」に変更します。("));
    ASSERT_TRUE(WaitFor([&] { return CurrentPageIndex(sheet) == 1; }, 5000));
    HWND page = CurrentPage(sheet);
    EXPECT_FALSE(IsEnabled(page, 1003));
    EXPECT_EQ(kUncompressed, ComboSelection(page, 1003));
    ASSERT_TRUE(ShowPage(sheet, kRecordPage)) << "the page is left with its combo disabled";
    ASSERT_TRUE(CloseSheet(sheet, IDOK));
    PreviewProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadPreviewProfile(PreviewProfilePath(), written));
    ASSERT_EQ(1u, written.filters.size());
    EXPECT_EQ(NullVideoDisplayName(), written.filters[0].displayName);
}

TEST_F(TavrikSettingsSheet, RestartWritesThePreviewProfileAndRestartsThePreviewWithTheFilter)
{
    WriteTrelvoxProfile();
    // The graph is listed in the running object table, where the test looks into it.
    WriteDword(L"RegisterFilterGraph", 1);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    std::vector<std::wstring> inGraph;
    ASSERT_TRUE(WaitFor([&] { return !(inGraph = FiltersOfRunningGraph(run.Id())).empty(); }, 10000));
    EXPECT_EQ(inGraph.end(), std::find(inGraph.begin(), inGraph.end(), L"Smart Tee")) << "not before the restart";
    HWND sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(ShowPage(sheet, 1));
    HWND page = CurrentPage(sheet);
    EXPECT_TRUE(IsEnabled(page, 1038));
    const std::vector<std::wstring> filters = ComboItems(page, 1003);
    std::string names;
    for (const std::wstring& name : filters)
        names += Narrow(name) + "; ";
    ASSERT_NE(filters.end(), std::find(filters.begin(), filters.end(), L"Smart Tee")) << names;
    Click(page, 1036);
    ASSERT_TRUE(WaitFor([&] { return IsEnabled(page, 1003); }, 5000));
    ASSERT_TRUE(PickComboItem(page, 1003, L"Smart Tee"));
    Click(page, 1038);
    ASSERT_TRUE(WaitFor([&] { return Exists(PreviewProfilePath()); }, 10000));
    EXPECT_TRUE(WaitForStatus(run, L"プレビュー中"));
    std::wstring text;
    EXPECT_EQ(nullptr, MessageBoxAbove(run.Id(), text)) << Narrow(text);
    EXPECT_TRUE(IsWindow(sheet)) << "the sheet stays open";
    PreviewProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadPreviewProfile(PreviewProfilePath(), written));
    EXPECT_EQ(1u, written.options.deinterlaceInterlacedModes);
    ASSERT_EQ(1u, written.filters.size());
    EXPECT_EQ(L"Smart Tee", written.filters[0].friendlyName);
    EXPECT_TRUE(WaitFor(
        [&] {
            inGraph = FiltersOfRunningGraph(run.Id());
            return std::find(inGraph.begin(), inGraph.end(), L"Smart Tee") != inGraph.end();
        },
        10000))
        << inGraph.size() << " filters in the restarted graph";
    ASSERT_TRUE(CloseSheet(sheet, IDCANCEL));
}

TEST_F(TavrikSettingsSheet, RestartIsDisabledWhenTheSheetOpensWithThePreviewStopped)
{
    WriteTrelvoxProfile();
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_COMMAND, kPreview, 0);
    ASSERT_TRUE(WaitForStatus(run, L"停止中"));
    HWND sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(ShowPage(sheet, 1));
    HWND page = CurrentPage(sheet);
    EXPECT_FALSE(IsEnabled(page, 1038));
    EXPECT_EQ(kUncompressed, ComboSelection(page, 1003));
    EXPECT_FALSE(IsEnabled(page, 1003)) << "the filter waits for its check box";
    Click(page, 1036);
    EXPECT_TRUE(WaitFor([&] { return IsEnabled(page, 1003) && IsEnabled(page, 1037); }, 5000));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));
    PreviewProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadPreviewProfile(PreviewProfilePath(), written));
    EXPECT_EQ(1u, written.options.deinterlaceInterlacedModes);
    ASSERT_EQ(1u, written.filters.size());
    EXPECT_EQ(NullVideoDisplayName(), written.filters[0].displayName);
}

std::vector<std::wstring> ListBoxItems(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 255)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::vector<std::wstring> OutputColumn(DWORD process, HWND dialog)
{
    HWND list = GetDlgItem(dialog, 1040);
    std::vector<std::wstring> outputs;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        outputs.push_back(ListViewCell(process, list, row, 1));
    return outputs;
}

WAVEFORMATEX HeadOf(const std::vector<std::uint8_t>& format)
{
    WAVEFORMATEX head{};
    if (format.size() >= 18)
        memcpy(&head, format.data(), 18);
    return head;
}

// The audio format dialog of the record page, opened with its button.
HWND OpenAudioFormats(DWORD process, HWND page)
{
    Click(page, 1019);
    return WaitForDialog(process, kAudioFormatTitle);
}

TEST_F(TavrikSettingsSheet, AudioFormatDialogFindsOutputsOnlyForTheRatesTheCompressorTakes)
{
    WriteTrelvoxProfile();
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    EXPECT_FALSE(IsEnabled(page, 1019)) << "no audio compressor filter";
    ASSERT_TRUE(PickComboItem(page, 1014, kG711At44100));
    EXPECT_TRUE(IsEnabled(page, 1019));
    EXPECT_TRUE(IsEnabled(page, 1021)) << "the stand-in has a property page";

    HWND dialog = OpenAudioFormats(run.Id(), page);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(kG711At44100, Text(GetDlgItem(dialog, 1043)));
    HWND list = GetDlgItem(dialog, 1040);
    ASSERT_EQ(kInputRows, ListView_GetItemCount(list));
    const std::vector<std::wstring> inputs = {L"48000Hz 2ch", L"48000Hz 1ch", L"44100Hz 2ch",
                                              L"44100Hz 1ch", L"32000Hz 2ch", L"32000Hz 1ch"};
    const std::vector<std::wstring> outputs = OutputColumn(run.Id(), dialog);
    for (int row = 0; row < kInputRows; ++row) {
        EXPECT_EQ(inputs[static_cast<size_t>(row)], ListViewCell(run.Id(), list, row, 0));
        const bool takes = row == 2 || row == 3;
        EXPECT_EQ(takes, outputs[static_cast<size_t>(row)] != kNoFormat) << Narrow(outputs[static_cast<size_t>(row)]);
    }
    EXPECT_FALSE(IsEnabled(dialog, 1041)) << "row 0 has no output";
    SelectListViewRow(run.Id(), list, 2);
    EXPECT_TRUE(WaitFor([&] { return IsEnabled(dialog, 1041); }, 5000));
    SelectListViewRow(run.Id(), list, 4);
    EXPECT_TRUE(WaitFor([&] { return !IsEnabled(dialog, 1041); }, 5000));

    // Another output for 44100 Hz stereo, then Cancel: the page's list stays.
    SelectListViewRow(run.Id(), list, 2);
    Click(dialog, 1041);
    HWND detail = WaitForDialog(run.Id(), kDetailTitle);
    ASSERT_NE(nullptr, detail);
    const std::vector<std::wstring> candidates = ListBoxItems(detail, 1044);
    ASSERT_EQ(4u, candidates.size()) << "mu-law and A-law, stereo and mono";
    EXPECT_EQ(outputs[2], candidates[SendMessageW(GetDlgItem(detail, 1044), LB_GETCURSEL, 0, 0)])
        << "the row's output is preselected";
    SendMessageW(GetDlgItem(detail, 1044), LB_SETCURSEL, 3, 0);
    ASSERT_TRUE(CloseSheet(detail, IDOK));
    EXPECT_EQ(candidates[3], ListViewCell(run.Id(), list, 2, 1));
    ASSERT_TRUE(CloseSheet(dialog, IDCANCEL));

    dialog = OpenAudioFormats(run.Id(), page);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(outputs, OutputColumn(run.Id(), dialog));
    Click(dialog, 1042);
    EXPECT_EQ(L"出力フォーマットを初期値に戻しますか？", AnswerMessageBox(run.Id(), IDOK));
    EXPECT_EQ(outputs, OutputColumn(run.Id(), dialog));
    ASSERT_TRUE(CloseSheet(dialog, IDCANCEL));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));

    RecordProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(RecordProfilePath(), written));
    EXPECT_EQ(kG711At44100, written.audioCompressor.friendlyName);
    ASSERT_EQ(static_cast<size_t>(kInputRows), written.audioFormats.size());
    for (size_t row = 0; row < written.audioFormats.size(); ++row)
        EXPECT_EQ(row == 2 || row == 3, !written.audioFormats[row].output.empty()) << row;
}

TEST_F(TavrikSettingsSheet, RecordingThroughTheStandInCompressorsUsesTheChosenAudioFormat)
{
    WriteDword(L"UseRecLog", 1);
    WriteTrelvoxProfile();
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    ASSERT_TRUE(PickComboItem(page, 1013, kMotionJpeg));
    for (int button : {1015, 1016})
        EXPECT_TRUE(IsEnabled(page, button)) << button;
    ASSERT_TRUE(PickComboItem(page, 1014, kG711));

    // 48000 Hz stereo, as the card delivers it, becomes the last candidate.
    HWND dialog = OpenAudioFormats(run.Id(), page);
    ASSERT_NE(nullptr, dialog);
    EXPECT_NE(kNoFormat, OutputColumn(run.Id(), dialog).front());
    SelectListViewRow(run.Id(), GetDlgItem(dialog, 1040), 0);
    Click(dialog, 1041);
    HWND detail = WaitForDialog(run.Id(), kDetailTitle);
    ASSERT_NE(nullptr, detail);
    const std::vector<std::wstring> candidates = ListBoxItems(detail, 1044);
    ASSERT_EQ(4u, candidates.size());
    SendMessageW(GetDlgItem(detail, 1044), LB_SETCURSEL, 3, 0);
    ASSERT_TRUE(CloseSheet(detail, IDOK));
    ASSERT_TRUE(CloseSheet(dialog, IDOK));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));

    RecordProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(RecordProfilePath(), written));
    ASSERT_FALSE(written.audioFormats.empty());
    const WAVEFORMATEX chosen = HeadOf(written.audioFormats[0].output);
    EXPECT_EQ(WAVE_FORMAT_ALAW, chosen.wFormatTag);
    EXPECT_EQ(1, chosen.nChannels);
    EXPECT_EQ(48000u, chosen.nSamplesPerSec);
    ASSERT_TRUE(CopyFileW(RecordProfilePath().c_str(), L"tavrik-sheet\\compressors-record.dat", FALSE));
    EXPECT_TRUE(WaitFor([&] { return Text(Descendant(run.Window(), 1028)) == kMotionJpeg; }, 5000));
    EXPECT_EQ(kG711, Text(Descendant(run.Window(), 1029)));

    PressCtrlKey(run.Window(), 'R');
    RecordBriefly(run, "mjpeg pcm_alaw 1 48000");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.log").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search) << "no recording report";
    FindClose(search);
    const std::string report = FileBytes(folder + L"\\" + found.cFileName);
    EXPECT_NE(std::string::npos, report.find("Video Compressor:       Stand-in Motion JPEG Compressor")) << report;
    EXPECT_NE(std::string::npos, report.find("Audio Compressor:       Stand-in G.711 Audio Compressor")) << report;
    EXPECT_NE(std::string::npos, report.find("Format Description: " + Narrow(candidates[3]))) << report;
}

TEST_F(TavrikSettingsSheet, StoredListWithAnInsaneSecondPairIsReplacedByTheDefaults)
{
    RecordProfile profile;
    profile.videoCompressor = {kUncompressed, NullVideoDisplayName(), nullptr, nullptr};
    profile.audioCompressor = {
        kG711, L"@device:sw:{33D9A761-90C8-11D0-BD43-00A0C911CE86}\\{54D05EDC-DA62-4993-BDBA-ACF061206563}", nullptr,
        nullptr};
    profile.mux = {kTrelvox, kMuxMonikerName, nullptr, nullptr};
    ASSERT_EQ(S_OK, BindMuxByMoniker(&profile.mux.filter));
    std::vector<std::uint8_t> mono(18, 0);
    const WAVEFORMATEX pcm{WAVE_FORMAT_PCM, 1, 48000, 96000, 2, 16, 0};
    memcpy(mono.data(), &pcm, 18);
    std::vector<std::uint8_t> silent = mono;
    silent[2] = 0;  // nChannels
    profile.audioFormats = {{mono, {}, L"", L""}, {silent, {}, L"", L""}};
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(RecordProfilePath(), profile));

    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    EXPECT_EQ(kG711, ComboSelection(page, 1014));
    HWND dialog = OpenAudioFormats(run.Id(), page);
    ASSERT_NE(nullptr, dialog);
    const std::vector<std::wstring> outputs = OutputColumn(run.Id(), dialog);
    ASSERT_EQ(static_cast<size_t>(kInputRows), outputs.size());
    // Wine's ACM describes G.711 at 48000 and 44100 Hz but not at 32000 Hz, whose rows
    // then show the no-format text although they have an output (checked below).
    for (size_t row = 0; row < 4; ++row)
        EXPECT_NE(kNoFormat, outputs[row]) << "the any-rate compressor takes every default input, row " << row;
    // Each capability is asked for while the input is connected, also after the first try.
    SelectListViewRow(run.Id(), GetDlgItem(dialog, 1040), 2);
    Click(dialog, 1041);
    HWND detail = WaitForDialog(run.Id(), kDetailTitle);
    ASSERT_NE(nullptr, detail);
    EXPECT_EQ(4u, ListBoxItems(detail, 1044).size());
    ASSERT_TRUE(CloseSheet(detail, IDCANCEL));
    ASSERT_TRUE(CloseSheet(dialog, IDCANCEL));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));
    RecordProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(RecordProfilePath(), written));
    ASSERT_EQ(static_cast<size_t>(kInputRows), written.audioFormats.size());
    EXPECT_EQ(2, HeadOf(written.audioFormats[0].input).nChannels);
    EXPECT_EQ(1, HeadOf(written.audioFormats[1].input).nChannels);
    for (const AudioFormatPair& pair : written.audioFormats) {
        const WAVEFORMATEX input = HeadOf(pair.input), output = HeadOf(pair.output);
        EXPECT_EQ(WAVE_FORMAT_MULAW, output.wFormatTag) << input.nSamplesPerSec;
        EXPECT_EQ(input.nSamplesPerSec, output.nSamplesPerSec);
        EXPECT_EQ(input.nChannels, output.nChannels);
    }
}

TEST_F(TavrikSettingsSheet, OversizedOutputFormatsAreLeftOutAndAFailedSaveKeepsTheOldProfile)
{
    WriteTrelvoxProfile();
    SetStandinFault(L"OversizedFormat", 1);
    TavrikRun run;
    HWND sheet = OpenSheetWhilePreviewing(run);
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(PickComboItem(CurrentPage(sheet), 1014, kG711));
    ASSERT_TRUE(CloseSheet(sheet, IDOK));
    RecordProfile written;
    ASSERT_HRESULT_SUCCEEDED(ReadRecordProfile(RecordProfilePath(), written)) << "the multiplexer is stored";
    EXPECT_EQ(kTrelvox, written.mux.friendlyName);
    ASSERT_EQ(static_cast<size_t>(kInputRows), written.audioFormats.size());
    for (const AudioFormatPair& pair : written.audioFormats)
        EXPECT_TRUE(pair.output.empty()) << "a format claiming bytes it lacks is no output";

    // The G.711 state cannot be saved: the sheet says so and the profile stays as it was.
    SetStandinFault(L"OversizedFormat", 0);
    SetStandinFault(L"FailingSave", 1);
    const std::string stored = FileBytes(RecordProfilePath());
    sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    Click(CurrentPage(sheet), 1025);
    Click(sheet, IDOK);
    HWND box = ShootMessageBox(run.Id(), L"record-profile-save-failure");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(sheet, GetWindow(box, GW_OWNER));
    EXPECT_EQ(L"録画設定の保存に失敗しました。(80030070)", AnswerMessageBox(run.Id()));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 10000));
    EXPECT_EQ(stored, FileBytes(RecordProfilePath()));
    ASSERT_TRUE(CopyFileW(RecordProfilePath().c_str(), L"tavrik-sheet\\kept-record.dat", FALSE));
}

}  // namespace
