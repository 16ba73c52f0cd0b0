// Recordings through the real Tavrik.exe from the simulated card into Trelvox:
// started and stopped by the keys, the media keys and the shell hook, the save
// dialog, a multiplexer that cannot be bound, refused exits, and recordings the
// multiplexer ends itself. Wine's AVI splitter plays the files here; ffprobe and
// ffmpeg judge them afterwards (check_tavrik_recordings.py, from expect.txt).
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "../engine/CardTestSupport.h"
#include "IMuxConfig.h"
#include "MuxGraphSupport.h"
#include "SplitterPlayback.h"
#include "MenuProbe.h"
#include "profiles/CurrentProfiles.h"
#include "ScreenShots.h"
#include "SheetDriver.h"
#include "TavrikFixture.h"
#include "TavrikProcess.h"
#include "TavrikRecordProfile.h"

namespace {

constexpr WPARAM kRecordStart = 32781;
constexpr WPARAM kPreview = 32783;
constexpr WPARAM kStillImage = 32784;
constexpr unsigned kMediaStop = 13;
constexpr unsigned kMediaRecord = 48;
constexpr WPARAM kShellAppCommand = 12;
constexpr wchar_t kRecordingCannotExit[] = L"録画中です。終了できません。";
// The stand-in G.711 compressor, which takes no video.
constexpr wchar_t kAudioOnlyCompressor[] =
    L"@device:sw:{33D9A761-90C8-11D0-BD43-00A0C911CE86}\\{54D05EDC-DA62-4993-BDBA-ACF061206563}";
constexpr wchar_t kUnboundMux[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{0BAD0BAD-0000-4000-8000-00000000BAD0}";

std::vector<std::string> FileLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path.c_str(), std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The report's lines for a recording from the card without compressors: the header,
// the body with both streams, each number where it belongs.
void ExpectReportLines(const std::vector<std::string>& lines, const std::wstring& recordPath, int64_t* totalFrames,
                       int64_t* droppedFrames, bool swapped = false)
{
    const std::string n = "[ 0-9-]{14}";  // "%14I64d"
    const std::vector<std::string> patterns = {
        R"(Tavrik Recording Report \(Tavrik Version 1\.33\))",
        R"(Date: \d{4}-\d\d-\d\d \S+)",
        R"(Time: \d\d:\d\d:\d\d)",
        "",
        "Recording file: " + std::regex_replace(Narrow(recordPath), std::regex(R"([\\.^$|()\[\]{}*+?])"), R"(\$&)"),
        R"(Start Time: \d\d:\d\d:\d\d)",
        R"(End Time:   \d\d:\d\d:\d\d)",
        R"(Duration:   \d\d:\d\d:\d\d)",
        "",
        "Video Capture Device:   Zelvan BDA Analog Capture Secondary",
        "Audio Capture Device:   .+",
        "Video Compressor:       .+",
        "Audio Compressor:       PCM",
        "Multiplexer:            Pelkor AVI Mux",
        "Video Preview Renderer: .+",
        "Audio Preview Renderer: .+",
        "",
        "Video Stream Information",
        R"(Format: YUY2 720x480/29\.97fps \(333667x100ns/f\))",
        "Start stream time: " + n + "00ns",
        "End stream time:   " + n + "00ns",
        "Stream duration:   " + n + R"(00ns\(\d+f\))",
        "Start media time:    " + n + "f",
        "End media time:      " + n + "f",
        "Media duration:      " + n + "f",
        "Total frame:         " + n + "f",
        "Drop frame:          " + n + "f",
        "Start offset:      " + n + "00ns",
        "End offset:        " + n + "00ns",
        "Duration Diff:     " + n + "00ns",
        "",
        "Audio Stream Information",
        swapped ? R"(Format: 48000Hz 16bit 2ch \(Channel swaped\))" : "Format: 48000Hz 16bit 2ch",
        "Start stream time: " + n + "00ns",
        "End stream time:   " + n + "00ns",
        "Stream duration:   " + n + R"(00ns\(\d+sample\))",
        "Start media time:    " + n + "sample",
        "End media time:      " + n + "sample",
        "Media duration:      " + n + "sample",
        "Total sample:        " + n + "sample",
        "Total block:         " + n + "block",
        "Start offset:      " + n + "00ns",
        "End offset:        " + n + "00ns",
        "Duration Diff:     " + n + "00ns",
    };
    ASSERT_EQ(patterns.size(), lines.size()) << "report lines";
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << "line " << i << ": " << lines[i];
    *totalFrames = std::stoll(lines[25].substr(21, 14));
    *droppedFrames = std::stoll(lines[26].substr(21, 14));
}

// The channel that carries the card's sample counter is R as the card sends it; the
// card's input in these cases is 720x480.
void NoteForProbe(const std::wstring& file, const std::string& frames, int64_t nullFrames, bool swapped = false)
{
    NoteForProbeIn(L"tavrik-recordings", file, frames, nullFrames, swapped, "720x480");
}

DWORD PriorityClassOf(const TavrikRun& run)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, run.Id());
    const DWORD priorityClass = process ? GetPriorityClass(process) : 0;
    if (process)
        CloseHandle(process);
    return priorityClass;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

// What the information bar shows, sampled once a second.
struct BarSample {
    std::wstring state, time, frames, dropped;
};

BarSample ReadBar(HWND main)
{
    return {Text(Descendant(main, 1004)), Text(Descendant(main, 1005)), Text(Descendant(main, 1008)),
            Text(Descendant(main, 1015))};
}

class TavrikRecord : public TavrikTest {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryW(L"tavrik-recordings", nullptr);
        DeleteFileW(L"tavrik-recordings\\expect.txt");
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TavrikTest::SetUp());
        // Standard definition keeps each recording near 20 MB a second.
        SetCardValue(L"Input", L"480i");
        folder = FreshFolderUnder(L"tavrik-recordings", CaseName());
        RecordInto(folder, L"take");
        WriteDword(L"UseRecLog", 1);
    }
    void TearDown() override
    {
        DeleteFileW(RecordProfilePath().c_str());
        TavrikTest::TearDown();
    }

    static bool WaitForStatus(TavrikRun& run, const std::wstring& status, DWORD patience = kPatience)
    {
        const bool shown = WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == status; }, patience);
        if (!shown)
            ADD_FAILURE() << "the status line shows \"" << Narrow(PaneText(run.Id(), run.Window(), 0)) << "\"";
        return shown;
    }

    static void PressCtrlR(HWND window) { PressCtrlKey(window, 'R'); }

    static LPARAM AppCommand(unsigned command) { return MAKELPARAM(0, command); }

    // Ten seconds of recording as the bar shows them: advancing time, growing
    // frames, the dropped frames of the last sample.
    static BarSample WatchRecording(HWND main, int seconds = 10)
    {
        std::vector<BarSample> samples;
        for (int i = 0; i < seconds; ++i) {
            Sleep(1000);
            samples.push_back(ReadBar(main));
            EXPECT_EQ(L"録画中", samples.back().state);
        }
        EXPECT_GT(samples.back().time, samples.front().time) << "the recording time advances";
        EXPECT_GT(std::stoll(samples.back().frames), std::stoll(samples.front().frames)) << "frames grow";
        // The first second may pass before the card's first frame reaches the bar.
        EXPECT_GT(std::stoll(samples.back().frames), 0);
        return samples.back();
    }

    // The recording's report and its first file, judged here and noted for ffprobe.
    void ExpectRecording(const std::wstring& name, int64_t droppedExpected, const std::wstring& recordPath = L"",
                         bool swapped = false)
    {
        const std::wstring path = recordPath.empty() ? folder + L"\\" + name + L".avi" : recordPath;
        int64_t total = 0, dropped = -1;
        ExpectReportLines(FileLines(folder + L"\\" + name + L".log"), path, &total, &dropped, swapped);
        EXPECT_EQ(droppedExpected, dropped);
        const std::wstring file = path.substr(0, path.find_last_of(L'.')) + L"000.avi";
        ASSERT_TRUE(FileExists(file)) << Narrow(file);
        EXPECT_FALSE(FileExists(path.substr(0, path.find_last_of(L'.')) + L"001.avi")) << "unused files deleted";
        const int played = FramesPlayedBack(file);
        // A null frame is an empty chunk that a splitter may pass over, as Wine's and ffmpeg's do;
        // every picture frame is played (the null frames are counted from the index by ffprobe).
        EXPECT_GE(played, total - 1) << "Wine's AVI splitter plays every picture frame";
        EXPECT_LE(played, total + droppedExpected + 1);
        NoteForProbe(file, std::to_string(total), droppedExpected, swapped);
    }

    std::wstring folder;
};

TEST_F(TavrikRecord, CtrlRRecordsUntilTheMediaStopKeyAndThePreviewResumes)
{
    WriteRecordProfile(kMuxMonikerName);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    ASSERT_TRUE(WaitFor([&] { return ReadBar(run.Window()).state == L"プレビュー中"; }, 5000));
    const BarSample idle = ReadBar(run.Window());
    EXPECT_EQ(L"00:00:00", idle.time);
    EXPECT_EQ(L"0", idle.frames);
    EXPECT_EQ(L"0", idle.dropped);
    EXPECT_EQ(L"Pelkor AVI Mux", Text(Descendant(run.Window(), 1030)));
    EXPECT_EQ(L"無圧縮", Text(Descendant(run.Window(), 1028)));
    ExpectItemStates(run.Window(), 1, "previewing");

    PressCtrlR(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    ExpectItemStates(run.Window(), 2, "recording");
    const BarSample last = WatchRecording(run.Window());
    EXPECT_EQ(L"0", last.dropped);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));

    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    EXPECT_TRUE(WaitForStatus(run, L"プレビュー中"));
    // The bar follows at its next refresh.
    EXPECT_TRUE(WaitFor([&] { return ReadBar(run.Window()).time == L"00:00:00"; }, 5000));
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    ExpectRecording(L"take0000", 0);
    EXPECT_EQ(L"", ReadString(L"RecordingsInProgress").value_or(L"?")) << "the stop takes the note out";
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"RecordNameSerialNumber"));
}

TEST_F(TavrikRecord, MediaRecordKeyAndTheShellHookWhileAnotherWindowHasTheFocus)
{
    WriteRecordProfile(kMuxMonikerName);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));

    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaRecord));
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ(L"0", WatchRecording(run.Window()).dropped);
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    ExpectRecording(L"take0000", 0);

    // The shell tells its hook windows of the keys the program in front left unused.
    HWND other = CreateWindowExW(0, L"STATIC", L"other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 5000));
    const UINT shellHook = RegisterWindowMessageW(L"SHELLHOOK");
    PostMessageW(run.Window(), shellHook, kShellAppCommand, AppCommand(kMediaRecord));
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ(L"0", WatchRecording(run.Window()).dropped);
    EXPECT_EQ(other, GetForegroundWindow());
    PostMessageW(run.Window(), shellHook, kShellAppCommand, AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    ExpectRecording(L"take0001", 0);
    DestroyWindow(other);

    // Logging off: the session's window state and serial numbers are kept although
    // Windows then ends the process without destroying its window.
    MoveWindow(run.Window(), 40, 30, 800, 600, TRUE);
    Sleep(500);
    const RECT placed = Rect(run.Window());
    DWORD_PTR result = 0;
    ASSERT_TRUE(
        SendMessageTimeoutW(run.Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result));
    EXPECT_EQ(TRUE, static_cast<BOOL>(result)) << "previewing, it lets the session end";
    ASSERT_TRUE(
        SendMessageTimeoutW(run.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result));
    run.Kill();
    EXPECT_EQ(std::optional<DWORD>(2), ReadDword(L"RecordNameSerialNumber"));
    EXPECT_EQ(std::optional<std::wstring>(L"1," + std::to_wstring(placed.left) + L"," + std::to_wstring(placed.top) +
                                          L"," + std::to_wstring(placed.right) + L"," + std::to_wstring(placed.bottom)),
              ReadString(L"WindowState"));
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"Preview"));
}

// The still image command during a recording takes its frames from the record graph's
// preview branch and leaves the recording whole.
TEST_F(TavrikRecord, AStillWhileRecordingDropsNoFrame)
{
    WriteRecordProfile(kMuxMonikerName);
    WriteString(L"ImageCapturePath", folder);
    WriteString(L"ImageNamePrefix", L"still");
    WriteDword(L"ImageNameRule", 4);
    WriteString(L"ImageCaptureFileFormat", L"image/bmp");
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaRecord));
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    Sleep(2000);
    PostMessageW(run.Window(), WM_COMMAND, kStillImage, 0);
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"\\still0000.bmp"); }, 10000)) << "the still is saved";
    EXPECT_EQ(L"0", WatchRecording(run.Window()).dropped);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    ExpectRecording(L"take0000", 0);
    ASSERT_TRUE(run.Close());
}

TEST_F(TavrikRecord, WithoutARecordProfileTheUserIsToldAndNothingStarts)
{
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    EXPECT_EQ(L"N/A", Text(Descendant(run.Window(), 1028)));
    EXPECT_EQ(L"N/A", Text(Descendant(run.Window(), 1029)));
    EXPECT_EQ(L"N/A", Text(Descendant(run.Window(), 1030)));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    std::wstring text;
    ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id(), &text) != nullptr; }));
    EXPECT_EQ(L"録画設定がされていません。先に設定する必要があります。", text);
    PostMessageW(MessageBoxOf(run.Id()), WM_COMMAND, IDOK, 0);
    // The settings sheet follows; cancelled, it makes no profile and nothing starts.
    HWND sheet = WaitForDialog(run.Id(), L"設定");
    ASSERT_NE(nullptr, sheet);
    PostMessageW(GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 10000));
    Sleep(1000);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    EXPECT_EQ(L"プレビュー中", PaneText(run.Id(), run.Window(), 0));
    EXPECT_FALSE(FileExists(folder + L"\\take0000.log"));
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"RecordNameSerialNumber")) << "no name was made";
}

TEST_F(TavrikRecord, FramesTheCardLeavesOutBecomeNullFramesAndSwappedChannelsReachTheFile)
{
    RecordOptions swapped;
    swapped.swapAudioChannels = 1;
    WriteRecordProfile(kMuxMonikerName, 0, 0, swapped);
    // About five seconds into the recording the card skips ten frames.
    SetCardValue(L"BurstStart", 150);
    SetCardValue(L"BurstLength", 10);
    WriteDword(L"Preview", 0);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"停止中"));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ(L"10", WatchRecording(run.Window()).dropped);
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"停止中")) << "no preview ran before, none resumes";
    ExpectRecording(L"take0000", 10, L"", true);
    ASSERT_TRUE(run.Close());
}

// The save dialog of the process, and its file name field.
HWND SaveDialogOf(DWORD process)
{
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = WindowOf(process, L"#32770")) != nullptr && GetDlgItem(dialog, IDOK); });
    return dialog;
}

HWND FileNameField(HWND dialog)
{
    // Explorer-style dialogs have an edit in cmb13, a ComboBoxEx32 (Wine's too) or a plain
    // combo box; older ones have edit edt1.
    HWND combo = GetDlgItem(dialog, 0x47C);
    if (!combo)
        return GetDlgItem(dialog, 0x480);
    wchar_t kind[32] = {};
    GetClassNameW(combo, kind, 32);
    if (wcscmp(kind, WC_COMBOBOXEXW) == 0)
        return reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETEDITCONTROL, 0, 0));
    return FindWindowExW(combo, nullptr, L"Edit", nullptr);
}

TEST_F(TavrikRecord, SaveDialogRecordsWhereConfirmedAndRemembersTheFolderAtOnce)
{
    WriteRecordProfile(kMuxMonikerName);
    WriteDword(L"RecordRule", 0);
    const std::wstring chosenFolder = FreshFolderUnder(L"tavrik-recordings", L"SaveDialogChosen");
    WriteString(L"RecordPath", folder);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));

    // Cancelled: nothing starts and nothing is said.
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    HWND dialog = SaveDialogOf(run.Id());
    ASSERT_NE(nullptr, dialog);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    Sleep(500);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    EXPECT_EQ(L"プレビュー中", PaneText(run.Id(), run.Window(), 0));

    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    dialog = SaveDialogOf(run.Id());
    ASSERT_NE(nullptr, dialog);
    HWND field = FileNameField(dialog);
    ASSERT_NE(nullptr, field);
    // The dialog opens in the remembered folder and shows the next name in its field.
    EXPECT_TRUE(WaitFor([&] { return !Text(field).empty(); }, 5000));
    const std::wstring shown = Text(field);
    EXPECT_TRUE(shown == L"take0001" || shown == folder + L"\\take0001") << Narrow(shown);
    const std::wstring chosen = chosenFolder + L"\\chosen.avi";
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ(std::optional<std::wstring>(chosenFolder), ReadString(L"RecordPath")) << "written at once";
    WatchRecording(run.Window(), 3);
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    // The report keeps the made name in the default folder.
    ExpectRecording(L"take0001", 0, chosen);
    ASSERT_TRUE(run.Close());
}

// The dialogs the process shows.
int DialogsOf(DWORD process)
{
    int count = 0;
    DialogWhere(process, [&](HWND) {
        ++count;
        return false;
    });
    return count;
}

// Record, still and stop requests wait for an open dialog; names made meanwhile are not
// given out again when the sheet is confirmed.
TEST_F(TavrikRecord, MediaKeysDoNothingWhileADialogIsOpenAndNoNameIsUsedTwice)
{
    WriteRecordProfile(kMuxMonikerName);
    WriteString(L"ImageCapturePath", folder);
    WriteString(L"ImageNamePrefix", L"still");
    WriteDword(L"ImageNameRule", 4);
    {
        TavrikRun run;
        ASSERT_TRUE(run.Window());
        ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
        // The still armed just before the sheet opens is saved while the sheet is open.
        PostMessageW(run.Window(), WM_COMMAND, kStillImage, 0);
        HWND sheet = OpenSettingsSheet(run);
        ASSERT_NE(nullptr, sheet);
        EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"\\still0000.bmp"); }, 10000));
        PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaRecord));
        Sleep(2000);
        EXPECT_EQ(L"プレビュー中", PaneText(run.Id(), run.Window(), 0)) << "no recording behind the sheet";
        PostMessageW(GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 10000));

        PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaRecord));
        ASSERT_TRUE(WaitForStatus(run, L"録画中"));
        Sleep(2000);
        PostMessageW(run.Window(), WM_COMMAND, kStillImage, 0);
        EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"\\still0001.bmp"); }, 10000)) << "a new still number";
        PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
        ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
        ExpectRecording(L"take0000", 0);
        ASSERT_TRUE(run.Close());
    }

    // The save dialog, opened in the documents folder since the remembered one is too long,
    // belongs to the main window, above it though the window is always on top.
    WriteDword(L"RecordRule", 0);
    WriteDword(L"Topmost", 1);
    WriteString(L"RecordPath", L"C:\\" + std::wstring(280, L'x'));
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    HWND box = ShootMessageBox(run.Id(), L"record-path-too-long");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(run.Window(), GetWindow(box, GW_OWNER));
    EXPECT_EQ(L"前回の録画保存場所のパスが長すぎるため、ドキュメントフォルダーを開きます。",
              AnswerMessageBox(run.Id()));
    HWND dialog = SaveDialogOf(run.Id());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(run.Window(), GetWindow(dialog, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(run.Window()));
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaRecord));
    Sleep(1500);
    EXPECT_EQ(1, DialogsOf(run.Id())) << "the record command does not start again";
    HWND field = FileNameField(dialog);
    ASSERT_NE(nullptr, field);
    const std::wstring chosen = folder + L"\\take0001.avi";
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ(std::optional<std::wstring>(folder), ReadString(L"RecordPath"));
    WatchRecording(run.Window(), 3);
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    ExpectRecording(L"take0001", 0, chosen);
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(std::optional<DWORD>(2), ReadDword(L"RecordNameSerialNumber"));
    EXPECT_EQ(std::optional<DWORD>(2), ReadDword(L"ImageNameSerialNumber"));
}

TEST_F(TavrikRecord, AMultiplexerThatCannotBeBoundFailsTheBuildAndThePreviewComesBack)
{
    WriteRecordProfile(kUnboundMux);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    std::wstring text;
    ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id(), &text) != nullptr; }));
    EXPECT_TRUE(
        std::regex_match(Narrow(text), std::regex(R"(キャプチャーグラフの構築に失敗しました。\([0-9a-f]{8}\))")))
        << Narrow(text);
    PostMessageW(MessageBoxOf(run.Id()), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForStatus(run, L"停止中"));

    const std::vector<std::string> report = FileLines(folder + L"\\take0000.log");
    ASSERT_GE(report.size(), 6u);
    EXPECT_EQ("", report[report.size() - 2]);
    EXPECT_EQ(0u, report.back().rfind("Fail Recording. ", 0)) << report.back();
    EXPECT_EQ(Narrow(text.substr(text.size() - 10)), report.back().substr(report.back().size() - 10));

    PostMessageW(run.Window(), WM_COMMAND, kPreview, 0);
    EXPECT_TRUE(WaitForStatus(run, L"プレビュー中"));
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    ASSERT_TRUE(run.Close());
}

TEST_F(TavrikRecord, ClosingAndLoggingOffAreRefusedWhileRecordingAndAForcedEndFinishesTheFiles)
{
    WriteRecordProfile(kMuxMonikerName);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));

    const auto expectRefusal = [&] {
        std::wstring text;
        EXPECT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id(), &text) != nullptr; }, 5000));
        EXPECT_EQ(kRecordingCannotExit, text);
        PostMessageW(MessageBoxOf(run.Id()), WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id()) == nullptr; }, 5000));
    };
    PostMessageW(run.Window(), WM_CLOSE, 0, 0);
    expectRefusal();
    LRESULT allowed = 1;
    std::thread query([&] { allowed = SendMessageW(run.Window(), WM_QUERYENDSESSION, 0, 0); });
    expectRefusal();
    query.join();
    EXPECT_EQ(0, allowed);
    EXPECT_EQ(L"録画中", PaneText(run.Id(), run.Window(), 0));
    WatchRecording(run.Window(), 3);

    // Windows may end the session all the same; the recording is finished as the stop
    // command finishes it before the process is ended.
    DWORD_PTR result = 0;
    ASSERT_TRUE(
        SendMessageTimeoutW(run.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 20000, &result));
    run.Kill();
    ExpectRecording(L"take0000", 0);
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"RecordNameSerialNumber"));
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(L"Preview")) << "the preview resumed as after a stop";
}

TEST_F(TavrikRecord, FilesFullEndTheRecordingAsTheStopCommandWouldAndTheUserIsTold)
{
    // One file of 10 MB holds about half a second of 480i.
    WriteRecordProfile(kMuxMonikerName, 1, 10);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    std::wstring text;
    ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id(), &text) != nullptr; }));
    EXPECT_TRUE(std::regex_match(
        Narrow(text), std::regex(R"(録画ファイルがすべて一杯になったため、録画を停止しました。\(00008001\))")))
        << Narrow(text);
    // The preview resumed before the message; the status line follows from a posted message.
    EXPECT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(MessageBoxOf(run.Id()), WM_COMMAND, IDOK, 0);
    int64_t total = 0, dropped = 0;
    ExpectReportLines(FileLines(folder + L"\\take0000.log"), folder + L"\\take0000.avi", &total, &dropped);
    EXPECT_GT(FramesPlayedBack(folder + L"\\take0000000.avi"), 0);
    NoteForProbe(folder + L"\\take0000000.avi", "-", 0);
    EXPECT_EQ(L"", ReadString(L"RecordingsInProgress").value_or(L"?")) << "Trelvox's end takes the note out";
    ASSERT_TRUE(run.Close());
}

TEST_F(TavrikRecord, AFullDiskEndsTheRecordingCleanly)
{
    // A 64 MB volume mounted by the test set-up; without it there is nothing to fill.
    const std::wstring smallDisk = FullPath(L"tavrik-smalldisk");
    if (GetFileAttributesW((smallDisk + L"\\mounted").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no small volume";
    WriteRecordProfile(kMuxMonikerName);
    WriteString(L"DefaultRecordPath", smallDisk);
    // The report could not be finished on the full volume either.
    WriteDword(L"UseRecLog", 0);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    std::wstring text;
    ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(run.Id(), &text) != nullptr; }));
    EXPECT_EQ(L"録画中にエラーが発生したため、録画を停止しました。(80070070)", text) << "ERROR_DISK_FULL";
    // The state text is posted just before the box, so it may show a moment after it.
    EXPECT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PostMessageW(MessageBoxOf(run.Id()), WM_COMMAND, IDOK, 0);
    EXPECT_GT(FramesPlayedBack(smallDisk + L"\\take0000000.avi"), 0);
    NoteForProbe(smallDisk + L"\\take0000000.avi", "-", 0);
    ASSERT_TRUE(run.Close());
}

// The card aborts as the stop command stops the recording: the abort is told with its code,
// as an abort while recording is, and the recording and the preview are as after any stop.
TEST_F(TavrikRecord, AnAbortAsTheRecordingStopsIsToldWithItsCode)
{
    constexpr DWORD kDeviceGone = 0x8007048F;  // ERROR_DEVICE_NOT_CONNECTED
    WriteRecordProfile(kMuxMonikerName);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PressCtrlR(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    WatchRecording(run.Window(), 2);
    SetCardValue(L"AbortOnStop", kDeviceGone);
    Sleep(200);  // the card reads its control values at most 40 ms old
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    EXPECT_EQ(L"録画中にエラーが発生したため、録画を停止しました。(8007048f)", DismissMessageBox(run.Id()));
    SetCardValue(L"AbortOnStop", DWORD{0});
    EXPECT_TRUE(WaitForStatus(run, L"プレビュー中"));
    EXPECT_EQ(L"", ReadString(L"RecordingsInProgress").value_or(L"?"));
    ExpectRecording(L"take0000", 0);
    ASSERT_TRUE(run.Close());
}

// A start that fails to run (the folder is not there yet) and one whose build fails after
// the multiplexer was added (a compressor that takes no video) leave nothing behind: no
// file, no raised priority, no load thread. The recording after them is the only file.
TEST_F(TavrikRecord, FailedStartsLeaveNothingBehindAndTheNextRecordingWorks)
{
    RecordOptions options;
    options.loadThreadWhileRecording = 1;
    options.priorityClass = HIGH_PRIORITY_CLASS;
    WriteRecordProfile(kMuxMonikerName, 0, 0, options);
    const std::wstring later = folder + L"\\later";
    // Left with its files by an earlier run of the case.
    std::error_code ignored;
    std::filesystem::remove_all(later, ignored);
    WriteString(L"DefaultRecordPath", later);
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    const DWORD priorityClass = PriorityClassOf(run);

    PressCtrlR(run.Window());
    const std::wstring runFailure = DismissMessageBox(run.Id());
    EXPECT_TRUE(IsFailure(runFailure, L"キャプチャーの開始に失敗しました。")) << Narrow(runFailure);
    EXPECT_TRUE(WaitForStatus(run, L"停止中"));
    EXPECT_EQ(priorityClass, PriorityClassOf(run));

    ASSERT_TRUE(CreateDirectoryW(later.c_str(), nullptr));
    WriteRecordProfile(kMuxMonikerName, 0, 0, options, kAudioOnlyCompressor);
    PressCtrlR(run.Window());
    const std::wstring buildFailure = DismissMessageBox(run.Id());
    EXPECT_TRUE(IsFailure(buildFailure, L"キャプチャーグラフの構築に失敗しました。")) << Narrow(buildFailure);
    EXPECT_TRUE(WaitForStatus(run, L"停止中"));
    EXPECT_EQ(priorityClass, PriorityClassOf(run));

    // A multiplexer left in the graph would write its files as the preview runs.
    PressCtrlKey(run.Window(), 'P');
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    Sleep(2000);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));

    WriteRecordProfile(kMuxMonikerName, 0, 0, options);
    PressCtrlR(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    EXPECT_EQ(DWORD(HIGH_PRIORITY_CLASS), PriorityClassOf(run));
    WatchRecording(run.Window(), 3);
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    EXPECT_EQ(priorityClass, PriorityClassOf(run));
    folder = later;
    const std::vector<std::string> failedReport = FileLines(later + L"\\take0001.log");
    ASSERT_FALSE(failedReport.empty());
    EXPECT_EQ(0u, failedReport.back().rfind("Fail Recording. ", 0)) << failedReport.back();
    EXPECT_EQ((std::vector<std::wstring>{L"take0001.log", L"take0002.log", L"take0002000.avi"}), FileNamesIn(later));
    ExpectRecording(L"take0002", 0);
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(std::optional<DWORD>(0), ReadDword(L"StressThread")) << "the load thread ran only for the recording";
}

// The input changed while the preview was stopped: the record command detects it first,
// so the file and the report are of the new input.
TEST_F(TavrikRecord, AnInputChangedWhileStoppedIsDetectedBeforeTheRecording)
{
    WriteRecordProfile(kMuxMonikerName);
    SetCardValue(L"Input", L"1080i");
    TavrikRun run;
    ASSERT_TRUE(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"プレビュー中"));
    PressCtrlKey(run.Window(), 'P');
    ASSERT_TRUE(WaitForStatus(run, L"停止中"));
    SetCardValue(L"Input", L"480i");
    // The card reads its control values at most every 40 ms; the status line shows when it has.
    ASSERT_TRUE(WaitFor([&] { return PaneText(run.Id(), run.Window(), 2) == L"480i"; }, 5000));
    PressCtrlR(run.Window());
    ASSERT_TRUE(WaitForStatus(run, L"録画中"));
    WatchRecording(run.Window(), 3);
    PostMessageW(run.Window(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(run.Window()), AppCommand(kMediaStop));
    ASSERT_TRUE(WaitForStatus(run, L"停止中"));
    ExpectRecording(L"take0000", 0);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    ASSERT_TRUE(run.Close());
}

}  // namespace
