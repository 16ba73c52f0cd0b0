// trelvox-recover.exe run as a process on recordings of the simulated card into the
// registered multiplexer, made by a child process that is terminated with no clean stop:
// in mode 0 after a few seconds (repaired in place), in mode 1 past 1 GiB (repaired into
// a new file). The repaired file must pass the structure check of both index levels, hold
// exactly the complete video chunks that were on disk, and play through the platform's AVI
// splitter. ffprobe and ffmpeg judge it afterwards (check_recordings.py --notes).
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "AviCheck.h"
#include "DiskFile.h"
#include "MuxGraphSupport.h"
#include "SplitterPlayback.h"
#include "SimControl.h"

namespace {

namespace fs = std::filesystem;

constexpr LONGLONG kMiB = 1024 * 1024;
constexpr DWORD kRecoverTimeoutMs = 10 * 60 * 1000;
constexpr DWORD kDropEvery = 25;

struct ProcessResult {
    DWORD exitCode = STILL_ACTIVE;
    std::string output;
};

// Runs a program to its end with its standard output and error read into one text.
ProcessResult RunProgram(const std::wstring& program, const std::wstring& arguments)
{
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring command = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            result.output.append(buffer, got);
        WaitForSingleObject(process.hProcess, kRecoverTimeoutMs);
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return result;
}

// The video chunks of a file, walked by the structure check independently of the tool.
struct VideoChunks {
    size_t frames = 0, nulls = 0;
    size_t Pictures() const { return frames - nulls; }
};

// What the tool printed it found: "N video frames (M null)".
VideoChunks Reported(const std::string& output)
{
    std::smatch match;
    VideoChunks found;
    if (std::regex_search(output, match, std::regex(R"((\d+) video frames \((\d+) null\))"))) {
        found.frames = std::stoul(match[1]);
        found.nulls = std::stoul(match[2]);
    }
    return found;
}

class KilledCardRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        card_.Text(L"Input", L"1080i");          // 4 MB a frame: 1 GiB in about 9 s
        card_.Number(L"DropEvery", kDropEvery);  // gaps the multiplexer fills with null frames
    }
    void TearDown() override { CoUninitialize(); }

    // The child records the card into `base` in `mode` until `file` holds `bytes` or the
    // time is up; then it is terminated, with no chance to finish the files.
    static void RecordAndTerminate(const std::wstring& base, DWORD mode, const std::wstring& file, LONGLONG bytes,
                                   DWORD timeoutMs)
    {
        DeleteRecording(base);
        DeleteFileW((file + L".note").c_str());
        const std::wstring arguments = L"\"" + base + L"\" card " + std::to_wstring(mode);
        EXPECT_TRUE(RecordInChildAndTerminate(arguments, file, bytes, timeoutMs)) << "the recorder ended by itself";
    }

    static VideoChunks OnDisk(const std::wstring& file)
    {
        trelvox::test::DiskFile killed{fs::path(file)};
        const trelvox::test::AviCheck check = trelvox::test::CheckAvi(killed.Source());
        EXPECT_TRUE(check.provisional) << "the header was never finished";
        EXPECT_TRUE(check.indexedVideo.empty());
        return {check.walkedVideo.size(), check.nullFrames.size()};
    }

    static ProcessResult Recover(const std::wstring& arguments)
    {
        const ProcessResult run = RunProgram(ProgramBeside(L"trelvox-recover.exe"), arguments);
        std::printf("%s", run.output.c_str());
        return run;
    }

    // Both index levels sound and complete, and every picture played by the splitter.
    static void ExpectRepaired(const std::wstring& file, const VideoChunks& onDisk, bool openDml)
    {
        {
            trelvox::test::DiskFile repaired{fs::path(file)};
            const trelvox::test::AviCheck check = trelvox::test::CheckAvi(repaired.Source());
            EXPECT_TRUE(check.problems.empty()) << check.Problems();
            EXPECT_FALSE(check.provisional);
            EXPECT_TRUE(check.claimsIndex);
            EXPECT_EQ(onDisk.frames, check.indexedVideo.size()) << "every complete chunk, through the indexes";
            EXPECT_EQ(onDisk.nulls, check.nullFrames.size());
            if (openDml) {
                EXPECT_GE(check.riffs, 2);
                EXPECT_GE(check.superIndexEntries, 2) << "video and audio";
            }
        }
        const int played = FramesPlayedBack(file);
        EXPECT_EQ(static_cast<int>(onDisk.Pictures()), played) << "Wine's AVI splitter passes over null frames";
        std::printf("%ls: %zu frames on disk (%zu null), %d played by the AVI splitter\n", file.c_str(), onDisk.frames,
                    onDisk.nulls, played);
    }

    // For check_recordings.py: ffprobe and ffmpeg must find these pictures in the file.
    static void NoteForExternalReaders(const std::wstring& file, const VideoChunks& onDisk)
    {
        std::ofstream note(fs::path(file + L".note"), std::ios::trunc);
        note << "1920 1080 " << onDisk.Pictures() << "\n";
    }

    SimControl card_;
};

TEST_F(KilledCardRecording, FileSetRepairedInPlaceLosesNoFrameAndOnlyItsEmptyFilesGo)
{
    // A name outside the ANSI code page, through the recorder, the tool and its renames.
    const std::wstring base = RecordingPath((L"card0_" + std::wstring(kNameOutsideCodePage) + L"_").c_str());
    const std::wstring first = NumberedFile(base, 0);
    const std::wstring bystander = RecordingPath(L"other000.avi");
    CloseHandle(CreateFileW(bystander.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    RecordAndTerminate(base, 0, first, 256 * kMiB, 60000);
    ASSERT_EQ(0, FileSize(NumberedFile(base, 39))) << "the set was made in advance";
    const VideoChunks onDisk = OnDisk(first);
    ASSERT_GT(onDisk.frames, 30u);
    EXPECT_GT(onDisk.nulls, 0u);

    const ProcessResult run = Recover(L"\"" + first + L"\"");
    ASSERT_EQ(0u, run.exitCode) << run.output;
    const VideoChunks reported = Reported(run.output);
    EXPECT_EQ(onDisk.frames, reported.frames) << "what the tool says it found";
    EXPECT_EQ(onDisk.nulls, reported.nulls);
    EXPECT_FALSE(FileExists(first + L".recovering"));
    for (int i = 1; i < 40; ++i)
        EXPECT_FALSE(FileExists(NumberedFile(base, i))) << i;
    EXPECT_TRUE(FileExists(bystander)) << "an empty file of another set stays";
    DeleteFileW(bystander.c_str());

    ExpectRepaired(first, onDisk, false);
    NoteForExternalReaders(first, onDisk);
}

TEST_F(KilledCardRecording, OpenDmlPastOneGibRepairedIntoANewFileLosesNoFrame)
{
    const std::wstring base = RecordingPath(L"card1_");
    const std::wstring killed = base + L".avi", repaired = RecordingPath(L"card1_repaired.avi");
    DeleteFileW(repaired.c_str());
    DeleteFileW((repaired + L".note").c_str());
    RecordAndTerminate(base, 1, killed, 1024 * kMiB + 200 * kMiB, 180000);
    const LONGLONG killedSize = FileSize(killed);
    ASSERT_GT(killedSize, 1024 * kMiB) << "past the first RIFF";
    const VideoChunks onDisk = OnDisk(killed);
    EXPECT_GT(onDisk.nulls, 0u);

    const ProcessResult run = Recover(L"--out \"" + repaired + L"\" \"" + killed + L"\"");
    ASSERT_EQ(0u, run.exitCode) << run.output;
    const VideoChunks reported = Reported(run.output);
    EXPECT_EQ(onDisk.frames, reported.frames) << "what the tool says it found";
    EXPECT_EQ(onDisk.nulls, reported.nulls);
    EXPECT_EQ(killedSize, FileSize(killed)) << "--out leaves the input as it was";
    DeleteFileW(killed.c_str());

    ExpectRepaired(repaired, onDisk, true);
    NoteForExternalReaders(repaired, onDisk);
}

}  // namespace
