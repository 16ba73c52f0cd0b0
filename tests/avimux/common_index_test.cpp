// The playback index: walking blocks of 4,096 entries by number and by audio block, and
// the entries the writers derive from a written batch.
#include <gtest/gtest.h>

#include "ChunkIds.h"
#include "CommonIndex.h"

namespace trelvox {
namespace {

CommonIndexEntry Chunk(uint64_t offset, uint32_t size, uint32_t count)
{
    CommonIndexEntry e;
    e.offset = offset;
    e.size = size;
    e.count = count;
    return e;
}

TEST(CommonIndexList, EntriesAreFoundByNumberAcrossBlocks)
{
    CommonIndexList list;
    list.Start();
    const uint64_t n = 2 * kCommonIndexBlockEntries + 5;
    for (uint64_t i = 0; i < n; ++i)
        ASSERT_TRUE(list.Append(Chunk(1000 * i, 10, 1)));
    EXPECT_EQ(list.Blocks(), 3u);
    EXPECT_EQ(list.Entries(), n);
    for (uint64_t i :
         {uint64_t{0}, uint64_t{4095}, uint64_t{4096}, uint64_t{4097}, uint64_t{8191}, uint64_t{8192}, n - 1}) {
        ASSERT_TRUE(list.Entry(i)) << i;
        EXPECT_EQ(list.Entry(i)->offset, 1000 * i) << i;
    }
    EXPECT_FALSE(list.Entry(n));
    EXPECT_FALSE(list.Entry(UINT64_MAX));
}

TEST(CommonIndexList, AFullBlockIsFollowedOnlyWhenTheNextEntryComes)
{
    CommonIndexList list;
    list.Start();
    for (uint32_t i = 0; i < kCommonIndexBlockEntries; ++i)
        list.Append(Chunk(i, 1, 1));
    EXPECT_EQ(list.Blocks(), 1u);
    list.Append(Chunk(9, 1, 1));
    EXPECT_EQ(list.Blocks(), 2u);
    EXPECT_EQ(list.Entry(kCommonIndexBlockEntries)->offset, 9u);
}

TEST(CommonIndexList, AudioBlocksAreFoundByTheCumulativeCounts)
{
    CommonIndexList list;
    list.Start();
    // 1,200 blocks a chunk, a silent-size chunk of 0 in between, across three blocks.
    const uint64_t n = kCommonIndexBlockEntries * 2 + 100;
    for (uint64_t i = 0; i < n; ++i)
        list.Append(Chunk(i, i == 3 ? 0 : 4800, i == 3 ? 0 : 1200));
    auto at = list.FindAudioBlock(0);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->number, 0u);
    EXPECT_EQ(at->blocksBefore, 0u);
    at = list.FindAudioBlock(1199);
    EXPECT_EQ(at->number, 0u);
    at = list.FindAudioBlock(1200);
    EXPECT_EQ(at->number, 1u);
    EXPECT_EQ(at->blocksBefore, 1200u);
    // Entry 3 holds no blocks: block 3,600 lies in entry 4.
    at = list.FindAudioBlock(3600);
    EXPECT_EQ(at->number, 4u);
    EXPECT_EQ(at->blocksBefore, 3600u);
    // In the second and third block of the list.
    const uint64_t second = 1200ull * (kCommonIndexBlockEntries - 1) + 17;  // entry 4,096
    at = list.FindAudioBlock(second);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->number, kCommonIndexBlockEntries);
    EXPECT_EQ(at->blocksBefore, second - 17);
    const uint64_t last = 1200ull * (n - 1) - 1;  // the final block written
    at = list.FindAudioBlock(last);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->number, n - 1);
    EXPECT_FALSE(list.FindAudioBlock(last + 1));
}

TEST(CommonIndexList, ClearedOrEmptyListsFindNothing)
{
    CommonIndexList list;
    EXPECT_FALSE(list.Entry(0));
    EXPECT_FALSE(list.FindAudioBlock(0));
    list.Start();
    list.Append(Chunk(1, 2, 3));
    list.Clear();
    EXPECT_EQ(list.Entries(), 0u);
    EXPECT_FALSE(list.Entry(0));
}

TEST(CommonIndexList, WrittenChunksGiveFileOffsetsCountsAndSyncFlags)
{
    CommonIndexes indexes;
    indexes.video.Start();
    indexes.audio.Start();
    // idx1 offsets count from the "movi" code, 4 bytes before the movi data at 2,048.
    const std::vector<Idx1Entry> video = {
        {kVideoKeyChunk, kAviIndexKeyFrame, 4, 1000}, {kVideoChunk, 0, 1028, 0}, {kVideoChunk, 0, 1036, 0}};
    AppendWrittenChunks(indexes.List(true), video, 2048, nullptr, 0);
    const std::vector<Idx1Entry> audio = {{kAudioChunkSecond, kAviIndexKeyFrame, 1540, 4802}};
    AppendWrittenChunks(indexes.List(false), audio, 2048, nullptr, 4);

    ASSERT_EQ(indexes.video.Entries(), 3u);
    EXPECT_EQ(indexes.video.Entry(0)->offset, 2048u);
    EXPECT_EQ(indexes.video.Entry(0)->sync, 1u);
    EXPECT_EQ(indexes.video.Entry(0)->count, 1u);
    EXPECT_EQ(indexes.video.Entry(1)->offset, 3072u);
    EXPECT_EQ(indexes.video.Entry(1)->size, 0u);  // null frames are entries too
    EXPECT_EQ(indexes.video.Entry(2)->count, 1u);
    EXPECT_EQ(indexes.video.Entry(2)->sync, 0u);
    ASSERT_EQ(indexes.audio.Entries(), 1u);
    EXPECT_EQ(indexes.audio.Entry(0)->offset, 3584u);
    EXPECT_EQ(indexes.audio.Entry(0)->count, 1200u);  // whole blocks only
}

}  // namespace
}  // namespace trelvox
