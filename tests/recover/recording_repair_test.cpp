// The repair's progress and its stop: progress climbs to the whole of the chunk data,
// and a repair stopped half way leaves the recording exactly as it was and no
// temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "DiskFile.h"
#include "InterruptedRecordings.h"
#include "PosixFileSystem.h"
#include "RecordingRepair.h"

namespace trelvox {
namespace {

namespace fs = std::filesystem;

class RecordingRepair : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::current_path() / "recording_repair";
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "rec.avi";
        original = test::InterruptedOpenDml();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(original.data()), static_cast<std::streamsize>(original.size()));
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir, file;
    std::vector<uint8_t> original;
    PosixFileSystem posix;
};

TEST_F(RecordingRepair, ProgressClimbsToTheWholeOfTheChunkData)
{
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    const recover::RepairOutcome outcome =
        recover::RepairRecording(file.string(), file.string(), posix, [&](uint64_t done, uint64_t total) {
            calls.emplace_back(done, total);
            return true;
        });
    ASSERT_EQ(outcome.result, recover::RepairResult::Repaired) << outcome.problem;
    EXPECT_EQ(outcome.scan.videoFrames, 40u + 4100u);
    EXPECT_EQ(outcome.scan.nullFrames, 4100u);
    ASSERT_GT(calls.size(), 2u);
    const uint64_t total = 40u * 38400u + 40u * 6400u;
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].second, total);
        if (i > 0) {
            EXPECT_GE(calls[i].first, calls[i - 1].first);
        }
    }
    EXPECT_EQ(calls.back().first, total);
}

TEST_F(RecordingRepair, AStoppedRepairLeavesTheRecordingAsItWas)
{
    int calls = 0;
    const recover::RepairOutcome outcome =
        recover::RepairRecording(file.string(), file.string(), posix, [&](uint64_t, uint64_t) { return ++calls < 3; });
    EXPECT_EQ(outcome.result, recover::RepairResult::Stopped);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(test::ReadFileBytes(file), original);
    EXPECT_FALSE(fs::exists(file.string() + recover::kTemporarySuffix));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace trelvox
