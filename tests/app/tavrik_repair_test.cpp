// A recording of the real Tavrik.exe ended by TerminateProcess, with no clean stop, and
// what the next start makes of it: the question, the repair with its progress window,
// the report, the empty files of a set, and the answers No and forget. ffprobe and
// ffmpeg judge the repaired files afterwards (check_tavrik_recordings.py, tavrik-repairs).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "../engine/CardTestSupport.h"
#include "AviCheck.h"
#include "DiskFile.h"
#include "MuxGraphSupport.h"
#include "ScreenPicture.h"
#include "TavrikFixture.h"
#include "TavrikProcess.h"
#include "TavrikRecordProfile.h"

namespace {

constexpr WPARAM kRecordStart = 32781;
constexpr WPARAM kRecordStop = 32782;
constexpr LONGLONG kMiB = 1024 * 1024;
constexpr DWORD kRepairPatience = 10 * 60 * 1000;
constexpr wchar_t kNotes[] = L"tavrik-repairs";
constexpr wchar_t kProgressTitle[] = L"中断された録画の修復";
constexpr wchar_t kQuestionStart[] = L"前回の録画は、停止されないまま中断されました";
constexpr wchar_t kSummaryStart[] = L"中断された録画の修復が終わりました。";

struct OnDisk {
    size_t frames = 0, nulls = 0;
};

// The complete video chunks of a killed file, walked by the structure check.
OnDisk ChunksOnDisk(const std::wstring& file)
{
    trelvox::test::DiskFile killed{std::filesystem::path(file)};
    const trelvox::test::AviCheck check = trelvox::test::CheckAvi(killed.Source());
    EXPECT_TRUE(check.provisional) << Narrow(file) << ": the header was never finished";
    return {check.walkedVideo.size(), check.nullFrames.size()};
}

void ExpectRepaired(const std::wstring& file, const OnDisk& before)
{
    trelvox::test::DiskFile repaired{std::filesystem::path(file)};
    const trelvox::test::AviCheck check = trelvox::test::CheckAvi(repaired.Source());
    EXPECT_TRUE(check.problems.empty()) << Narrow(file) << ": " << check.Problems();
    EXPECT_FALSE(check.provisional) << Narrow(file);
    EXPECT_EQ(before.frames, check.indexedVideo.size()) << Narrow(file) << ": every complete chunk";
    EXPECT_EQ(before.nulls, check.nullFrames.size()) << Narrow(file);
}

std::vector<std::string> FileLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A message box of the process whose text begins so; its text in `text`.
HWND MessageBoxStarting(DWORD process, const wchar_t* start, std::wstring* text, DWORD patience = kPatience)
{
    HWND box = nullptr;
    WaitFor([&] { return (box = MessageBoxOf(process, text)) && text->rfind(start, 0) == 0; }, patience);
    return box && text->rfind(start, 0) == 0 ? box : nullptr;
}

// The message names the file: its folder once, then its name.
bool NamesFile(const std::wstring& text, const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return text.find(L"フォルダー: " + path.substr(0, slash + 1) + L"\n") != std::wstring::npos &&
           text.find(L"  " + path.substr(slash + 1)) != std::wstring::npos;
}

std::wstring NameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

void Answer(HWND box, int button)
{
    PostMessageW(box, WM_COMMAND, button, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));
}

class TavrikRepair : public TavrikTest {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryW(kNotes, nullptr);
        DeleteFileW((std::wstring(kNotes) + L"\\expect.txt").c_str());
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TavrikTest::SetUp());
        folder = FreshFolderUnder(kNotes, CaseName());
        RecordInto(folder, L"take");
        WriteDword(L"UseRecLog", 1);
        WriteDword(L"Preview", 0);
    }
    void TearDown() override
    {
        DeleteFileW(RecordProfilePath().c_str());
        TavrikTest::TearDown();
    }

    // Tavrik records until `file` holds `bytes`, then is terminated with no clean stop.
    void RecordAndKill(const std::wstring& file, LONGLONG bytes, DWORD timeoutMs)
    {
        TavrikRun run;
        ASSERT_TRUE(run.Window());
        PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
        const bool grown = WaitFor([&] { return FileSize(file) >= bytes; }, timeoutMs);
        run.Kill();
        ASSERT_TRUE(grown) << Narrow(file) << " holds " << FileSize(file) << " bytes";
        WaitUntilSettled(file);
        ASSERT_TRUE(ReadString(L"RecordingsInProgress").value_or(L"").find(folder) != std::wstring::npos)
            << "the recording was noted when it started";
    }

    // Starts Tavrik, expects the question naming `file`, answers Yes and returns the summary.
    std::wstring RepairAtNextStart(const std::wstring& file, const wchar_t* shots)
    {
        TavrikRun run;
        std::wstring text;
        HWND question = MessageBoxStarting(run.Id(), kQuestionStart, &text);
        EXPECT_NE(nullptr, question) << "Tavrik asks at its start";
        if (!question)
            return L"";
        EXPECT_TRUE(NamesFile(text, file)) << Narrow(text);
        ScreenPicture::Of(question).SaveBmp(std::wstring(shots) + L"-question.bmp");
        PostMessageW(question, WM_COMMAND, IDYES, 0);
        HWND progress = nullptr;
        if (WaitFor([&] { return (progress = FindWindowW(L"#32770", kProgressTitle)) != nullptr; }, 10000)) {
            Sleep(500);
            // A small set is repaired before the picture is taken: nothing to save then.
            const ScreenPicture shot = ScreenPicture::Of(progress);
            if (shot.width > 0)
                shot.SaveBmp(std::wstring(shots) + L"-progress.bmp");
        }
        HWND summary = MessageBoxStarting(run.Id(), kSummaryStart, &text, kRepairPatience);
        EXPECT_NE(nullptr, summary) << "the user is told what the repair found";
        if (summary)
            Answer(summary, IDOK);
        EXPECT_TRUE(run.Close());
        EXPECT_EQ(std::optional<std::wstring>(L""), ReadString(L"RecordingsInProgress"));
        return text;
    }

    // The report: its header as written at the start, then the interrupted recording's lines.
    void ExpectReportOfRepair(const std::wstring& name, const std::vector<std::wstring>& files,
                              const std::vector<OnDisk>& found)
    {
        const std::vector<std::string> lines = FileLines(folder + L"\\" + name + L".log");
        ASSERT_EQ(7 + files.size(), lines.size());
        EXPECT_EQ("Recording file: " + Narrow(folder + L"\\" + name + L".avi"), lines[4]);
        EXPECT_EQ("", lines[5]);
        EXPECT_EQ("Interrupted Recording. Tavrik ended without stopping it; repaired at its next start.", lines[6]);
        for (size_t i = 0; i < files.size(); ++i)
            EXPECT_EQ("Repaired file: " + Narrow(files[i]) + ": " + std::to_string(found[i].frames) +
                          " frames recovered (" + std::to_string(found[i].nulls) + " null)",
                      lines[7 + i]);
    }

    std::wstring folder;
};

TEST_F(TavrikRepair, OpenDmlKilledPastOneGibIsRepairedAtTheNextStartWhenTheUserSaysYes)
{
    SetCardValue(L"Input", L"1080i");  // 4 MB a frame: 1 GiB in about 9 s
    SetCardValue(L"DropEvery", 25);    // gaps that become null frames
    WriteRecordProfile(kMuxMonikerName, 0, 0, {}, nullptr, trelvox::MuxMode::OpenDml);
    const std::wstring file = folder + L"\\take0000.avi";
    ASSERT_NO_FATAL_FAILURE(RecordAndKill(file, 1024 * kMiB + 64 * kMiB, 180000));
    const OnDisk found = ChunksOnDisk(file);
    ASSERT_GT(found.frames, 200u);
    const LONGLONG killedSize = FileSize(file);
    {
        // Cancelled in the progress window: the file stays as it was, the question comes again.
        TavrikRun run;
        std::wstring text;
        HWND question = MessageBoxStarting(run.Id(), kQuestionStart, &text);
        ASSERT_NE(nullptr, question);
        PostMessageW(question, WM_COMMAND, IDYES, 0);
        HWND progress = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (progress = FindWindowW(L"#32770", kProgressTitle)) != nullptr; }, 10000));
        PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
        HWND summary = MessageBoxStarting(run.Id(), L"中断された録画の修復を中止しました。", &text, kRepairPatience);
        ASSERT_NE(nullptr, summary) << "cancelled before the end";
        EXPECT_NE(std::wstring::npos, text.find(L"次回の起動時にもう一度確認します。")) << Narrow(text);
        Answer(summary, IDOK);
        EXPECT_TRUE(run.Close());
    }
    EXPECT_EQ(killedSize, FileSize(file));
    EXPECT_FALSE(FileExists(file + L".recovering"));
    EXPECT_EQ(found.frames, ChunksOnDisk(file).frames);

    const std::wstring summary = RepairAtNextStart(file, L"tavrik-repairs\\opendml");
    EXPECT_NE(std::wstring::npos, summary.find(L"復元したフレーム " + std::to_wstring(found.frames) +
                                               L" (うちヌルフレーム " + std::to_wstring(found.nulls) + L")"))
        << Narrow(summary);
    EXPECT_FALSE(FileExists(file + L".recovering"));
    ExpectRepaired(file, found);
    ExpectReportOfRepair(L"take0000", {file}, {found});
    NoteForProbeIn(kNotes, file, std::to_string(found.frames - found.nulls), static_cast<int64_t>(found.nulls));
}

TEST_F(TavrikRepair, AFileSetKilledAfterTwoSplitsIsRepairedFileByFileAndItsEmptyFilesGo)
{
    SetCardValue(L"Input", L"480i");
    WriteRecordProfile(kMuxMonikerName, 0, 10);  // files of 10 MB, half a second each
    const std::wstring base = folder + L"\\take0000";
    ASSERT_NO_FATAL_FAILURE(RecordAndKill(NumberedFile(base, 2), 2 * kMiB, 60000));
    ASSERT_TRUE(FileExists(NumberedFile(base, 39))) << "the set was made in advance";
    std::vector<std::wstring> files;
    std::vector<OnDisk> found;
    for (int i = 0; FileSize(NumberedFile(base, i)) > 0; ++i) {
        files.push_back(NumberedFile(base, i));
        found.push_back(ChunksOnDisk(files.back()));
    }
    ASSERT_GE(files.size(), 3u);

    const std::wstring summary = RepairAtNextStart(files.front(), L"tavrik-repairs\\fileset");
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_NE(std::wstring::npos, summary.find(L"  " + NameOf(files[i]) + L": 復元したフレーム " +
                                                   std::to_wstring(found[i].frames) + L" "))
            << Narrow(summary);
        ExpectRepaired(files[i], found[i]);
        NoteForProbeIn(kNotes, files[i], std::to_string(found[i].frames - found[i].nulls),
                       static_cast<int64_t>(found[i].nulls));
    }
    for (size_t i = files.size(); i < 40; ++i)
        EXPECT_FALSE(FileExists(NumberedFile(base, static_cast<int>(i)))) << "empty file " << i << " is gone";
    ExpectReportOfRepair(L"take0000", files, found);
}

TEST_F(TavrikRepair, NoAsksAgainAndMovesTheNextNameOnForgetAsksNoMoreAndDeletedFilesAreForgottenSilently)
{
    SetCardValue(L"Input", L"480i");
    WriteRecordProfile(kMuxMonikerName);
    const std::wstring killed = folder + L"\\take0000000.avi";
    ASSERT_NO_FATAL_FAILURE(RecordAndKill(killed, 8 * kMiB, 60000));
    const LONGLONG killedSize = FileSize(killed);
    const auto expectQuestion = [&](TavrikRun& run) {
        std::wstring text;
        HWND box = MessageBoxStarting(run.Id(), kQuestionStart, &text);
        EXPECT_TRUE(NamesFile(text, killed)) << Narrow(text);
        return box;
    };
    const auto expectNoQuestion = [&](TavrikRun& run) {
        ASSERT_TRUE(run.Window());
        ASSERT_TRUE(WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == L"停止中"; }));
        Sleep(1000);
        EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    };
    {
        // No: kept. The serial number was never saved by the killed run, so the next
        // automatic name would be the interrupted one's: it moves on instead.
        TavrikRun run;
        HWND box = expectQuestion(run);
        ASSERT_NE(nullptr, box);
        Answer(box, IDNO);
        ASSERT_TRUE(run.Window());
        PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
        ASSERT_TRUE(WaitFor([&] { return FileSize(folder + L"\\take0001000.avi") > 2 * kMiB; }));
        PostMessageW(run.Window(), WM_COMMAND, kRecordStop, 0);
        ASSERT_TRUE(WaitFor([&] { return PaneText(run.Id(), run.Window(), 0) == L"停止中"; }));
        EXPECT_TRUE(run.Close());
        EXPECT_EQ(killedSize, FileSize(killed)) << "the interrupted recording is left alone";
    }
    {
        TavrikRun run;
        HWND box = expectQuestion(run);
        ASSERT_NE(nullptr, box) << "No asks again at the next start";
        Answer(box, IDCANCEL);
        EXPECT_TRUE(run.Close());
    }
    EXPECT_EQ(killedSize, FileSize(killed)) << "forgotten, not repaired";
    EXPECT_EQ("Interrupted Recording. Tavrik ended without stopping it; not repaired.",
              FileLines(folder + L"\\take0000.log").back());
    {
        TavrikRun run;
        ASSERT_NO_FATAL_FAILURE(expectNoQuestion(run));
        EXPECT_TRUE(run.Close());
    }

    // Killed again, and its files deleted by the user before the next start.
    ASSERT_NO_FATAL_FAILURE(RecordAndKill(folder + L"\\take0002000.avi", 4 * kMiB, 60000));
    DeleteRecording(folder + L"\\take0002");
    {
        TavrikRun run;
        ASSERT_NO_FATAL_FAILURE(expectNoQuestion(run));
        EXPECT_TRUE(run.Close());
    }
    EXPECT_EQ(std::optional<std::wstring>(L""), ReadString(L"RecordingsInProgress"));

    // Killed before anything reached the disk: only the set's files made in advance are
    // left, empty. Nothing to ask about, and they go with the note.
    const std::wstring unwritten = folder + L"\\take0002";
    ASSERT_NO_FATAL_FAILURE(RecordAndKill(unwritten + L"000.avi", 4 * kMiB, 60000));
    for (int i = 0; FileExists(NumberedFile(unwritten, i)); ++i)
        std::filesystem::resize_file(NumberedFile(unwritten, i), 0);
    {
        TavrikRun run;
        ASSERT_NO_FATAL_FAILURE(expectNoQuestion(run));
        EXPECT_TRUE(run.Close());
    }
    EXPECT_FALSE(FileExists(NumberedFile(unwritten, 0)));
    EXPECT_FALSE(FileExists(NumberedFile(unwritten, 39)));
    EXPECT_EQ(std::optional<std::wstring>(L""), ReadString(L"RecordingsInProgress"));
}

TEST_F(TavrikRepair, TheSaveDialogsChoiceOfAnInterruptedRecordingsNameIsQuestionedAndNoStartsNothing)
{
    SetCardValue(L"Input", L"480i");
    WriteRecordProfile(kMuxMonikerName);
    const std::wstring killed = folder + L"\\take0000000.avi";
    ASSERT_NO_FATAL_FAILURE(RecordAndKill(killed, 4 * kMiB, 60000));
    const LONGLONG killedSize = FileSize(killed);
    WriteDword(L"RecordRule", 0);
    WriteString(L"RecordPath", folder);
    TavrikRun run;
    std::wstring text;
    HWND question = MessageBoxStarting(run.Id(), kQuestionStart, &text);
    ASSERT_NE(nullptr, question);
    Answer(question, IDNO);
    ASSERT_TRUE(run.Window());
    // The killed run never saved its serial number: the dialog offers the same name again.
    PostMessageW(run.Window(), WM_COMMAND, kRecordStart, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (dialog = WindowOf(run.Id(), L"#32770")) != nullptr && GetDlgItem(dialog, IDOK); }));
    Sleep(500);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND prompt =
        MessageBoxStarting(run.Id(), L"このファイル名には、中断されたまま修復されていない録画があります。", &text);
    ASSERT_NE(nullptr, prompt);
    EXPECT_NE(std::wstring::npos, text.find(folder + L"\\take0000")) << Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"上書きされ、修復できなくなります")) << Narrow(text);
    Answer(prompt, IDNO);
    Sleep(1000);
    EXPECT_EQ(nullptr, MessageBoxOf(run.Id()));
    EXPECT_NE(L"録画中", PaneText(run.Id(), run.Window(), 0)) << "nothing started";
    EXPECT_EQ(killedSize, FileSize(killed));
    EXPECT_TRUE(run.Close());
    EXPECT_NE(L"", ReadString(L"RecordingsInProgress").value_or(L"")) << "still to be repaired";
}

}  // namespace
