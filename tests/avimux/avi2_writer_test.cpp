// The OpenDML writer on its failure paths: a batch that fails to reach the disk leaves
// no trace in the indexes or the RIFF chain, and finishing that cannot write the idx1
// leaves a header that does not claim it.
#include <gtest/gtest.h>

#include "AviCheck.h"
#include "Avi2Writer.h"
#include "ByteOrder.h"
#include "MemoryFileSystem.h"
#include "MuxTestSupport.h"

namespace trelvox {
namespace {

using test::MakeVideo;

constexpr int64_t kT = 333667;
constexpr uint32_t kPicture = 100000;

class Avi2WriterFaults : public ::testing::Test {
protected:
    Avi2WriterFaults()
    {
        layout.sectorSize = 512;
        layout.inputs.video = MakeVideo(64, 32);
        layout.run = {kT, 512, kPicture, 0, 0};
        layout.segmentBytes = 1u << 20;  // AVIX RIFFs every MiB
    }
    void Create() { ASSERT_EQ(writer.Create(fs, "rec.avi", CreateMode::CreateAlways, layout), kS_OK); }
    HResult Picture()
    {
        const std::vector<uint8_t> data(kPicture, 0x33);
        return writer.Write(StreamKind::Video,
                            {MakeSampleRecord(data.data(), kPicture, true, test::Sector512Buffers())});
    }
    test::AviCheck Finish()
    {
        writer.Finish(layout.inputs, layout.run, 0, 0);
        writer.Close();
        return test::CheckAvi(test::BytesOf(fs.Bytes("rec.avi")));
    }
    int WritesSoFar() const { return static_cast<int>(fs.File("rec.avi").writes.size()); }

    Avi2Layout layout;
    MemoryFileSystem fs;
    Avi2Writer writer;
};

TEST_F(Avi2WriterFaults, FailedBatchThatNeededANewIndexBlockLeavesNoSuperIndexEntry)
{
    Create();
    ASSERT_EQ(Picture(), kS_OK);
    fs.FailWrite(WritesSoFar() + 1, HResultFromWin32(112));
    // 4,028 null frames do not fit beside the picture in the first standard index.
    EXPECT_EQ(writer.Write(StreamKind::Video, {MakeNullRun(4028)}), HResultFromWin32(112));
    const test::AviCheck check = Finish();
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_EQ(check.superIndexEntries, 1);
    EXPECT_EQ(check.indexedVideo.size(), 1u);
    const std::vector<uint8_t>& b = fs.Bytes("rec.avi");
    EXPECT_EQ(GetU32(&b[4]) + 8u, b.size()) << "the RIFF ends where the file does";
}

TEST_F(Avi2WriterFaults, FailedBatchThatStartedARiffLeavesNoEmptyAvix)
{
    Create();
    // Up to the last picture that fits in the first RIFF.
    for (int i = 0; i < 9; ++i)
        ASSERT_EQ(Picture(), kS_OK);
    fs.FailWrite(WritesSoFar() + 1, HResultFromWin32(112));
    EXPECT_EQ(Picture(), HResultFromWin32(112));
    const test::AviCheck check = Finish();
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_EQ(check.riffs, 1) << "no AVIX without data";
    EXPECT_EQ(check.VideoChunks(), 9u);
    const std::vector<uint8_t>& b = fs.Bytes("rec.avi");
    EXPECT_EQ(GetU32(&b[4]) + 8u, b.size());
}

TEST_F(Avi2WriterFaults, Idx1ThatCannotBeWrittenIsNotClaimedByTheHeader)
{
    Create();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(Picture(), kS_OK);
    // The standard index goes into its reserved room, then the idx1 needs new space.
    fs.FailWrite(WritesSoFar() + 2, HResultFromWin32(112));
    const test::AviCheck check = Finish();
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_FALSE(check.provisional);
    EXPECT_FALSE(check.claimsIndex);
    EXPECT_EQ(check.indexedVideo.size(), 3u) << "the standard index still lists every picture";
    const std::vector<uint8_t>& b = fs.Bytes("rec.avi");
    EXPECT_EQ(GetU32(&b[4]) + 8u, b.size()) << "the RIFF ends with the data";
}

TEST_F(Avi2WriterFaults, StandardIndexThatCannotBeWrittenLeavesIdx1AloneInOneRiff)
{
    Create();
    ASSERT_EQ(Picture(), kS_OK);
    ASSERT_EQ(writer.Write(StreamKind::Video, {MakeNullRun(4028)}), kS_OK);
    ASSERT_EQ(Picture(), kS_OK);
    // The first standard index block, then the second.
    fs.FailWrite(WritesSoFar() + 2, HResultFromWin32(1117));
    const test::AviCheck check = Finish();
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_EQ(check.superIndexEntries, 0) << "no OpenDML index that misses chunks";
    EXPECT_TRUE(check.claimsIndex);
    EXPECT_EQ(check.indexedVideo.size(), 4030u) << "idx1 lists every chunk";
}

TEST_F(Avi2WriterFaults, StandardIndexThatCannotBeWrittenEndsTheSuperIndexBeforeIt)
{
    Create();
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(Picture(), kS_OK);  // into a second RIFF
    ASSERT_EQ(writer.Write(StreamKind::Video, {MakeNullRun(4028)}), kS_OK);
    ASSERT_EQ(Picture(), kS_OK);
    // The AVIX header, the first standard index block, then the second.
    fs.FailWrite(WritesSoFar() + 3, HResultFromWin32(1117));
    const test::AviCheck check = Finish();
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_EQ(check.riffs, 2);
    EXPECT_EQ(check.superIndexEntries, 1) << "the block before the failed one stays listed";
    EXPECT_EQ(check.VideoChunks(), 12u + 4028u + 1u);
}

}  // namespace
}  // namespace trelvox
