// The settings sheet of the real Tavrik.exe, driven through its controls: the first
// record profile, a recording made with it, the record command that asks for the
// sheet, Cancel, the remembered page, and the checks of the still image and other
// pages. check_settings_sheet.py reads the profiles with olefile and the recordings
// with ffprobe and ffmpeg afterwards.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../engine/card_test_support.h"
#include "MuxGraphSupport.h"
#include "profiles/CurrentProfiles.h"
#include "sheet_driver.h"

namespace {

constexpr WPARAM kRecordStop = 32782;
constexpr WPARAM kPreview = 32783;
constexpr int kRecordPage = 0;
constexpr int kStillImagePage = 2;
constexpr int kOtherPage = 3;
constexpr wchar_t kTrelvox[] = L"Pelkor AVI Mux";
constexpr wchar_t kUncompressed[] = L" 無圧縮";
constexpr wchar_t kSelectAllFilters[] = L"全てのフィルタを選択してください。";

std::wstring FullPath(const std::wstring& relative)
{
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::wstring DataFolder()
{
    wchar_t localAppData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData);
    const std::wstring folder = std::wstring(localAppData) + L"\\Tavrik\\Data\\";
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

std::wstring RecordProfilePath()
{
    return DataFolder() + L"CurrentRecord.dat";
}

std::wstring PreviewProfilePath()
{
    return DataFolder() + L"CurrentPreview.dat";
}

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

class TavrikSettingsSheet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryW(L"tavrik-sheet", nullptr);
        DeleteFileW(L"tavrik-sheet\\recordings.txt");
    }

    void SetUp() override
    {
        ASSERT_EQ(nullptr, FindWindowW(kClass, nullptr)) << "a Tavrik from elsewhere is still running";
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrik");
        DeleteFileW(RecordProfilePath().c_str());
        DeleteFileW(PreviewProfilePath().c_str());
        ResetCard();
        SetCardValue(L"Input", L"480i");
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = FullPath(L"tavrik-sheet\\" + std::wstring(test.begin(), test.end()));
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        RemoveRecordings();
        WriteDword(L"RecordRule", 1);
        WriteString(L"DefaultRecordPath", folder);
        WriteString(L"RecordNamePrefix", L"sheet");
        WriteDword(L"RecordNameRule", 4);
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrik");
        DeleteFileW(RecordProfilePath().c_str());
        DeleteFileW(PreviewProfilePath().c_str());
        ResetCard();
        CoUninitialize();
    }

    static bool WaitForStatus(TavrikRun& run, const std::wstring& status)
    {
        const bool shown = WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == status; });
        if (!shown)
            ADD_FAILURE() << "the status line shows \"" << Narrow(PaneText(run.Id(), run.Window(), 0)) << "\"";
        return shown;
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

    // Records a few seconds with the record command and notes the file for the probe.
    void RecordBriefly(TavrikRun& run)
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
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        note << test << '/' << Narrow(found.cFileName) << '\n';
    }

    std::wstring folder;
};

TEST_F(TavrikSettingsSheet, FirstRecordProfileIsRefusedUntilEveryFilterIsChosenThenRecords)
{
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    HWND sheet = OpenSettingsSheet(run);
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
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    HWND sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    HWND page = CurrentPage(sheet);
    EXPECT_EQ(kTrelvox, ComboSelection(page, 1018));
    EXPECT_EQ(kUncompressed, ComboSelection(page, 1013));
    EXPECT_EQ(L"通常", ComboSelection(page, 1045));
    Click(page, 1025);
    TurnToPage(sheet, 1);
    ASSERT_TRUE(WaitFor([&] { return CurrentPageIndex(sheet) == 1; }, 5000));
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

TEST_F(TavrikSettingsSheet, StillImagePageChecksTheCropAndTheScaleAndTheRegistryKeepsThem)
{
    WriteTrelvoxProfile();
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    HWND sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    TurnToPage(sheet, kStillImagePage);
    ASSERT_TRUE(WaitFor([&] { return CurrentPageIndex(sheet) == kStillImagePage; }, 5000));
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
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    HWND sheet = OpenSettingsSheet(run);
    ASSERT_NE(nullptr, sheet);
    TurnToPage(sheet, kOtherPage);
    ASSERT_TRUE(WaitFor([&] { return CurrentPageIndex(sheet) == kOtherPage; }, 5000));
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
    Click(sheet, IDOK);
    EXPECT_EQ(L"0 から 9999 までの整数を入力してください。", AnswerMessageBox(run.Id()));
    SetEditText(page, 1065, L"42");
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
    EXPECT_EQ(42u, ReadDword(L"RecordNameSerialNumber"));
    EXPECT_EQ(7u, ReadDword(L"RecordNameRule"));
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
    TurnToPage(sheet, 1);
    ASSERT_TRUE(WaitFor([&] { return CurrentPageIndex(sheet) == 1; }, 5000));
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

}  // namespace
