// A recording through the Windows file implementation: unbuffered handles, the volume's
// sector size, the set created and the unused files deleted.
#include <gtest/gtest.h>

#include <windows.h>

#include "DiskFile.h"
#include "FileNaming.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "Win32FileSystem.h"

namespace trelvox {
namespace {

std::string TempFolder()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + "trelvox_win32_file_test";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(Win32Files, RecordingThroughUnbufferedHandles)
{
    Win32FileSystem fs;
    const std::string base = TempFolder() + "take";
    uint32_t sector = 0;
    ASSERT_EQ(fs.SectorSize(base, &sector), kS_OK);
    EXPECT_GE(sector, 512u);

    test::EventLog events;
    MuxRecorder recorder(fs, events);
    MuxRunSetup setup;
    setup.fileName = base;
    setup.settings.maxFiles = 5;
    setup.settings.splitMode = SplitMode::FrameCount;
    setup.settings.splitCountVideo = 4;
    setup.settings.fileMode = 1;
    setup.inputs.video = test::MakeVideo(64, 48);
    setup.inputs.audio = test::MakeAudio();
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Exists(SetFileName(base, i)));
    const std::vector<uint8_t> picture = test::Yuy2Picture(64, 48, 1);
    const std::vector<uint8_t> audio(1601 * 4, 7);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(recorder.ReceiveVideo(test::TimedSample(picture, i * 333667)), kS_OK);
        EXPECT_EQ(recorder.ReceiveAudio(test::TimedSample(audio, i * 333542, false)), kS_OK);
    }
    recorder.Stop();
    EXPECT_TRUE(events.Events().empty());
    EXPECT_FALSE(Exists(SetFileName(base, 2)));

    const std::vector<uint8_t> first = test::ReadFileBytes(SetFileName(base, 0));
    ASSERT_GT(first.size(), 0u);
    EXPECT_EQ(first.size() % sector, 0u);
    test::AviView view(first);
    EXPECT_EQ(view.U32(4) + 8, first.size());
    EXPECT_EQ(view.U32(40), sector);  // padding granularity
    int pictures = 0, sounds = 0;
    for (const test::Chunk& c : view.moviChunks) {
        pictures += c.id == "00db";
        sounds += c.id == "01wb";
    }
    EXPECT_EQ(pictures, 4);
    EXPECT_EQ(sounds, 6);  // audio splits by its own count, not reached here
    EXPECT_EQ(test::AviView(test::ReadFileBytes(SetFileName(base, 1))).moviChunks.size(), 2u);

    for (int i = 0; i < 2; ++i)
        DeleteFileA(SetFileName(base, i).c_str());
}

TEST(Win32Files, MissingFolderFailsPreparationWithItsError)
{
    Win32FileSystem fs;
    test::EventLog events;
    MuxRecorder recorder(fs, events);
    MuxRunSetup setup;
    setup.fileName = TempFolder() + "no such folder\\take";
    setup.inputs.video = test::MakeVideo(64, 48);
    EXPECT_EQ(recorder.Prepare(setup), HResultFromWin32(ERROR_PATH_NOT_FOUND));
}

}  // namespace
}  // namespace trelvox
