// A recording into real files, killed with SIGKILL while it writes, repaired by
// trelvox-recover: in mode 0 after a few seconds, in mode 1 past 1 GiB. The repaired file
// must pass the structure check of both index levels, ffmpeg must decode it without an
// error, and its frames must be exactly the complete chunks that were on disk.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "AviCheck.h"
#include "DiskFile.h"
#include "ExternalReaders.h"
#include "FileNaming.h"
#include "PosixFileSystem.h"
#include "RecoverCommand.h"

namespace trelvox {
namespace {

namespace fs = std::filesystem;

class KilledRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::current_path() / "killed_recordings";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Starts the child, waits until `file` reaches `bytes` (or `seconds` pass), kills it.
    void RecordAndKill(int mode, const fs::path& file, uint64_t bytes, double seconds)
    {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const std::string base = (dir / "rec").string();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(out[1], 1);
            execl(RECORDING_CHILD, RECORDING_CHILD, std::to_string(mode).c_str(), base.c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        char line[16] = {};
        ASSERT_GT(read(out[0], line, sizeof line - 1), 0) << "the child prepared its files";
        close(out[0]);
        const auto start = std::chrono::steady_clock::now();
        std::error_code ec;
        while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds &&
               fs::file_size(file, ec) < bytes) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
    }

    // Repairs `file` in place and checks it against the chunks the killed file held.
    void ExpectRepaired(const fs::path& file, bool openDml)
    {
        size_t onDisk, nulls;
        {
            test::DiskFile killed(file);
            const test::AviCheck before = test::CheckAvi(killed.Source());
            EXPECT_TRUE(before.provisional);
            onDisk = before.walkedVideo.size();
            nulls = before.nullFrames.size();
        }
        ASSERT_GT(onDisk, 30u);
        PosixFileSystem posix;
        std::ostringstream out, err;
        ASSERT_EQ(recover::RunRecover({file.string()}, posix, out, err), recover::kExitOk) << err.str();
        std::printf("%s\n", out.str().substr(0, out.str().find('\n')).c_str());  // what was found
        test::DiskFile repaired(file);
        const test::AviCheck after = test::CheckAvi(repaired.Source());
        EXPECT_TRUE(after.problems.empty()) << after.Problems();
        EXPECT_FALSE(after.provisional);
        EXPECT_TRUE(after.claimsIndex);
        EXPECT_EQ(after.indexedVideo.size(), onDisk) << "every complete chunk, through the indexes";
        if (openDml) {
            EXPECT_GE(after.riffs, 2);
            EXPECT_GE(after.superIndexEntries, 2);
        }
        EXPECT_EQ(test::DecodeErrors(file.string()), "");
        EXPECT_EQ(test::Probe(file.string())["0.nb_read_packets"], std::to_string(onDisk - nulls));
    }

    fs::path dir;
};

TEST_F(KilledRecording, FileSetKilledAfterAFewSecondsIsRepairedAndItsEmptyFilesGo)
{
    const fs::path first = SetFileName((dir / "rec").string(), 0);
    RecordAndKill(0, first, 1ull << 30, 3.0);  // within the first file
    ASSERT_TRUE(fs::exists(dir / "rec039.avi"));
    EXPECT_EQ(fs::file_size(dir / "rec039.avi"), 0u);
    ExpectRepaired(first, false);
    EXPECT_FALSE(fs::exists(dir / "rec001.avi"));
    EXPECT_FALSE(fs::exists(dir / "rec039.avi"));
}

TEST_F(KilledRecording, OpenDmlKilledPastOneGibIsRepaired)
{
    const fs::path file = dir / "rec.avi";
    RecordAndKill(1, file, (1ull << 30) + (200ull << 20), 120.0);
    ASSERT_GT(fs::file_size(file), 1ull << 30);
    ExpectRepaired(file, true);
}

}  // namespace
}  // namespace trelvox
