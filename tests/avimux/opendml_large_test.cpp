// OpenDML files far beyond 4 GiB and up to the end of the super index, recorded into
// sparse files and read back through every structure: the RIFF chain, both index levels
// with their 64-bit offsets, idx1 of the first RIFF and the totals of the header.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "MuxTestSupport.h"
#include "OpenDmlRecordings.h"
#include "SparseFileSystem.h"

namespace trelvox {
namespace {

using test::BeyondFourGib;
using test::EventLog;
using test::SparseFileSystem;

constexpr uint32_t kX = 32256;
constexpr uint64_t kGib = 1ull << 30;
constexpr uint32_t kBlockCapacity = 4028;
constexpr uint32_t kSuperCapacity = 2014;

using FileChunk = test::Chunk;

struct Riff {
    uint64_t offset;
    uint32_t size;
    std::string form;
    std::vector<FileChunk> children;
    uint64_t moviStart = 0;  // first chunk of its movi list
    uint64_t moviEnd = 0;
    std::vector<FileChunk> movi;  // when walked
};

struct IndexEntry {
    uint64_t data;  // absolute offset of the chunk's data
    uint32_t size;  // with bit 31
};

struct StdIndex {
    uint64_t offset;
    std::vector<IndexEntry> entries;
};

struct StreamHeader {
    std::string type;
    uint32_t length = 0;
    uint64_t superIndex = 0;
};

// The file as a reader sees it, every structure taken from its bytes.
class OdmlFile {
public:
    OdmlFile(const SparseFileSystem::Content& f, bool walkMovi)
        : f_(f),
          source_{f.Size(), [&f](uint64_t at, uint32_t length) { return f.Read(at, length); }},
          r_(source_)
    {
        const std::vector<test::Chunk> chain = test::Riffs(r_);
        const uint64_t chainEnd = chain.empty() ? 0 : chain.back().Next();
        if (chainEnd != f.Size())
            ADD_FAILURE() << "no RIFF at " << chainEnd;
        for (const test::Chunk& part : chain) {
            Riff riff{part.offset, part.size, test::Form(r_, part), Children(part.offset + 12, part.End()), 0, 0, {}};
            for (const FileChunk& c : riff.children) {
                if (c.id == "LIST" && f.Id(c.offset + 8) == "movi") {
                    riff.moviStart = c.offset + 12;
                    riff.moviEnd = c.offset + 8 + c.size;
                    if (walkMovi)
                        riff.movi = Children(riff.moviStart, riff.moviEnd);
                }
            }
            riffs.push_back(riff);
        }
        for (const FileChunk& c : Children(24, 12 + f.U32(16) + 8)) {
            if (c.id != "LIST" || f.Id(c.offset + 8) != "strl")
                continue;
            StreamHeader s;
            for (const FileChunk& in : Children(c.offset + 12, c.offset + 8 + c.size)) {
                if (in.id == "strh")
                    s.type = f.Id(in.offset + 8), s.length = f.U32(in.offset + 8 + 32);
                if (in.id == "indx")
                    s.superIndex = in.offset;
            }
            streams.push_back(s);
        }
    }

    // The chunks from `from` to `end`; a walk that stops short of it fails the test.
    std::vector<FileChunk> Children(uint64_t from, uint64_t end) const
    {
        bool whole = false;
        std::vector<FileChunk> chunks = test::Children(r_, from, end, &whole);
        if (!whole)
            ADD_FAILURE() << "no chunk at " << (chunks.empty() ? from : chunks.back().Next());
        return chunks;
    }

    // The standard indexes listed by a super index, checked field by field on the way.
    std::vector<StdIndex> Indexes(uint64_t indx, const std::string& ix, const std::string& chunkId,
                                  std::vector<uint32_t>* durations) const
    {
        EXPECT_EQ(f_.Id(indx), "indx");
        EXPECT_EQ(f_.U32(indx + 4), kX - 8);
        const std::vector<uint8_t> head = f_.Read(indx + 8, 24);
        EXPECT_EQ(head[0] | head[1] << 8, 4);  // longs per entry
        EXPECT_EQ(head[3], 0);                 // index of indexes
        EXPECT_EQ(f_.Id(indx + 16), chunkId);
        const uint32_t count = f_.U32(indx + 12);
        EXPECT_LE(count, kSuperCapacity);
        std::vector<StdIndex> blocks;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t e = indx + 32 + 16 * i;
            StdIndex block{f_.U64(e), {}};
            EXPECT_EQ(f_.U32(e + 8), kX);
            durations->push_back(f_.U32(e + 12));
            const uint64_t at = block.offset;
            EXPECT_EQ(f_.Id(at), ix) << "super index entry " << i;
            EXPECT_EQ(f_.U32(at + 4), kX - 8);
            EXPECT_EQ(f_.Read(at + 8, 4), (std::vector<uint8_t>{2, 0, 0, 1}));  // 2 longs, chunks
            EXPECT_EQ(f_.Id(at + 16), chunkId);
            EXPECT_EQ(f_.U64(at + 20), at) << "the base is the index chunk itself";
            const uint32_t n = f_.U32(at + 12);
            EXPECT_LE(n, kBlockCapacity);
            const std::vector<uint8_t> raw = f_.Read(at + 32, 8 * n);
            for (uint32_t k = 0; k < n; ++k) {
                block.entries.push_back({at + GetU32(&raw[8 * k]), GetU32(&raw[8 * k + 4])});
            }
            blocks.push_back(block);
        }
        return blocks;
    }

    std::vector<Riff> riffs;
    std::vector<StreamHeader> streams;

private:
    static uint32_t GetU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
    const SparseFileSystem::Content& f_;
    const test::ByteSource source_;
    const test::AviReader r_;
};

// What the recording fed in, stream by stream: data size and key/sync flag per chunk.
struct Expected {
    uint32_t size;
    bool sync;
};

std::vector<Expected> ExpectedVideo()
{
    using P = BeyondFourGib;
    std::vector<Expected> chunks;
    for (int i = 0; i < P::kPictures; ++i) {
        if (i == P::kGapAfter + 1)
            chunks.insert(chunks.end(), P::kGapFrames, Expected{0, false});
        chunks.push_back({P::kPictureBytes, P::IsKeyPicture(i)});
    }
    return chunks;
}

std::vector<Expected> ExpectedAudio()
{
    using P = BeyondFourGib;
    std::vector<Expected> chunks;
    for (int k = 0; k < P::kPictures * P::kAudioPerPicture; ++k)
        chunks.push_back({P::kAudioBytes, P::IsSyncAudio(k)});
    return chunks;
}

// The write that holds `offset`; writes are sorted by offset.
size_t WriteHolding(const std::vector<SparseFileSystem::Extent>& writes, uint64_t offset)
{
    auto it = std::upper_bound(writes.begin(), writes.end(), offset,
                               [](uint64_t o, const SparseFileSystem::Extent& w) { return o < w.offset; });
    return static_cast<size_t>(it - writes.begin()) - 1;
}

// Every chunk of a stream, in file order, is listed once by its standard indexes, in the
// same order, with dwOffset relative to the index chunk and bit 31 for non-sync chunks.
void ExpectIndexesListTheChunks(const std::vector<StdIndex>& blocks, const std::vector<FileChunk>& chunks,
                                const std::vector<Expected>& expected)
{
    ASSERT_EQ(chunks.size(), expected.size());
    size_t n = 0;
    for (const StdIndex& block : blocks) {
        for (const IndexEntry& e : block.entries) {
            ASSERT_LT(n, chunks.size()) << "more entries than chunks";
            EXPECT_EQ(e.data, chunks[n].offset + 8) << "entry " << n;
            EXPECT_EQ(e.size & 0x7FFFFFFFu, chunks[n].size) << "entry " << n;
            EXPECT_EQ(e.size & 0x7FFFFFFFu, expected[n].size) << "entry " << n;
            EXPECT_EQ((e.size & 0x80000000u) == 0, expected[n].sync) << "entry " << n;
            ++n;
        }
    }
    EXPECT_EQ(n, chunks.size());
}

// A new standard index begins only when the batch would not fit in the current one:
// past 4,028 entries or with its first chunk more than 2 GiB past the base.
void ExpectBlocksBegunOnlyWhenNeeded(const std::vector<StdIndex>& blocks,
                                     const std::vector<SparseFileSystem::Extent>& writes, int* byCount, int* byReach)
{
    for (size_t i = 0; i < blocks.size(); ++i) {
        const StdIndex& b = blocks[i];
        for (const IndexEntry& e : b.entries) {
            const uint64_t batch = writes[WriteHolding(writes, e.data - 8)].offset;
            EXPECT_LE(batch - b.offset, 0x80000000ull) << "block " << i;
        }
        if (i + 1 == blocks.size() || blocks[i + 1].entries.empty())
            continue;
        const StdIndex& next = blocks[i + 1];
        const size_t firstWrite = WriteHolding(writes, next.entries[0].data - 8);
        uint32_t firstBatch = 0;
        for (const IndexEntry& e : next.entries)
            firstBatch += WriteHolding(writes, e.data - 8) == firstWrite;
        const bool count = b.entries.size() + firstBatch > kBlockCapacity;
        const bool reach = writes[firstWrite].offset - b.offset > 0x80000000ull;
        EXPECT_TRUE(count || reach) << "block " << i + 1 << " begun early";
        EXPECT_EQ(next.offset, writes[firstWrite].offset - kX) << "the index chunk just before the batch";
        *byCount += count;
        *byReach += reach && !count;
    }
}

TEST(OpenDmlBeyondFourGib, EveryStructureOfA5GibRecording)
{
    using P = BeyondFourGib;
    SparseFileSystem fs;
    ASSERT_EQ(test::WriteBeyondFourGib(fs, "big.avi"), kS_OK);
    EXPECT_EQ(fs.misalignedWrites, 0);
    ASSERT_TRUE(fs.Exists("big.avi"));
    const SparseFileSystem::Content& f = fs.File("big.avi");
    ASSERT_GT(f.Size(), 5 * kGib);
    const OdmlFile file(f, true);

    // One "AVI " RIFF, then AVIX RIFFs without gaps, each begun just below the next GiB.
    ASSERT_GE(file.riffs.size(), 6u);
    EXPECT_EQ(file.riffs.back().offset + 8 + file.riffs.back().size, f.Size());
    for (size_t k = 0; k < file.riffs.size(); ++k) {
        const Riff& r = file.riffs[k];
        EXPECT_EQ(r.form, k == 0 ? "AVI " : "AVIX") << k;
        ASSERT_NE(r.moviStart, 0u) << "RIFF " << k << " has no movi";
        if (k == 0)
            continue;
        EXPECT_LT(r.offset, k * kGib) << k;
        EXPECT_GT(r.offset, k * kGib - (17u << 20)) << k;
        ASSERT_EQ(r.children.size(), 2u) << k;  // JUNK up to the sector, then movi: no idx1
        EXPECT_EQ(r.children[0].id, "JUNK");
        EXPECT_EQ(r.moviStart, r.offset + 512);
    }

    // The header's totals: null frames counted in avih, dmlh and the video strh.
    const uint32_t frames = P::kPictures + P::kGapFrames;
    const uint32_t blocks = P::kPictures * P::kAudioPerPicture * P::kAudioBytes / P::kBlockAlign;
    EXPECT_EQ(f.U32(48), frames);
    ASSERT_EQ(file.streams.size(), 2u);
    EXPECT_EQ(file.streams[0].type, "vids");
    EXPECT_EQ(file.streams[0].length, frames);
    EXPECT_EQ(file.streams[1].type, "auds");
    EXPECT_EQ(file.streams[1].length, blocks);
    FileChunk odml{};
    for (const FileChunk& c : file.Children(24, 12 + f.U32(16) + 8)) {
        if (c.id == "LIST" && f.Id(c.offset + 8) == "odml")
            odml = c;
    }
    ASSERT_NE(odml.offset, 0u);
    EXPECT_EQ(f.Id(odml.offset + 12), "dmlh");
    EXPECT_EQ(f.U32(odml.offset + 20), frames);

    // The chunks of every movi list, by stream, and the index chunks in them.
    std::vector<FileChunk> video, audio, ix00, ix01;
    for (const Riff& r : file.riffs) {
        for (const FileChunk& c : r.movi) {
            if (c.id == "00db" || c.id == "00dc")
                video.push_back(c);
            if (c.id == "01wb")
                audio.push_back(c);
            if (c.id == "ix00")
                ix00.push_back(c);
            if (c.id == "ix01")
                ix01.push_back(c);
        }
    }
    std::vector<uint32_t> videoDurations, audioDurations;
    const auto videoBlocks = file.Indexes(file.streams[0].superIndex, "ix00", "00db", &videoDurations);
    const auto audioBlocks = file.Indexes(file.streams[1].superIndex, "ix01", "01wb", &audioDurations);
    ASSERT_EQ(videoBlocks.size(), ix00.size()) << "every index chunk is listed in the super index";
    ASSERT_EQ(audioBlocks.size(), ix01.size());
    for (size_t i = 0; i < ix00.size(); ++i)
        EXPECT_EQ(videoBlocks[i].offset, ix00[i].offset);
    for (size_t i = 0; i < ix01.size(); ++i)
        EXPECT_EQ(audioBlocks[i].offset, ix01[i].offset);
    EXPECT_GT(videoBlocks.back().offset, 4 * kGib);
    EXPECT_GT(audioBlocks.back().offset, 4 * kGib);
    uint64_t videoTotal = 0, audioTotal = 0;
    for (size_t i = 0; i < videoBlocks.size(); ++i) {
        EXPECT_EQ(videoDurations[i], videoBlocks[i].entries.size()) << i;
        videoTotal += videoDurations[i];
    }
    for (size_t i = 0; i < audioBlocks.size(); ++i) {
        uint64_t covered = 0;
        for (const IndexEntry& e : audioBlocks[i].entries)
            covered += (e.size & 0x7FFFFFFF) / P::kBlockAlign;
        EXPECT_EQ(audioDurations[i], covered) << i;
        audioTotal += audioDurations[i];
    }
    EXPECT_EQ(videoTotal, frames);
    EXPECT_EQ(audioTotal, blocks);
    ExpectIndexesListTheChunks(videoBlocks, video, ExpectedVideo());
    ExpectIndexesListTheChunks(audioBlocks, audio, ExpectedAudio());

    // Nothing written twice but the header; the standard index rules, each seen at work.
    std::vector<SparseFileSystem::Extent> writes = f.Writes();
    std::sort(writes.begin(), writes.end(), [](auto& a, auto& b) { return a.offset < b.offset; });
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0].offset, 0u);
    EXPECT_EQ(writes[1].offset, 0u);
    for (size_t i = 2; i < writes.size(); ++i) {
        ASSERT_GE(writes[i].offset, writes[i - 1].offset + writes[i - 1].length) << "overlapping writes";
    }
    int byCount = 0, byReach = 0;
    ExpectBlocksBegunOnlyWhenNeeded(videoBlocks, writes, &byCount, &byReach);
    EXPECT_GE(byCount, 2) << "the 4,100 null frames";
    EXPECT_GE(byReach, 2) << "16 MiB pictures";
    byCount = byReach = 0;
    ExpectBlocksBegunOnlyWhenNeeded(audioBlocks, writes, &byCount, &byReach);
    EXPECT_EQ(byCount, static_cast<int>(audioBlocks.size()) - 1) << "small audio chunks fill their blocks";
    for (size_t i = 0; i + 1 < audioBlocks.size(); ++i)
        EXPECT_EQ(audioBlocks[i].entries.size(), kBlockCapacity);

    // idx1 closes the first RIFF and lists its movi chunks alone, offsets from "movi".
    const Riff& first = file.riffs[0];
    const FileChunk& idx1 =
        first.children.back().id == "idx1" ? first.children.back() : first.children[first.children.size() - 2];
    ASSERT_EQ(idx1.id, "idx1");
    std::vector<FileChunk> listed;
    for (const FileChunk& c : first.movi) {
        if (c.id != "JUNK")
            listed.push_back(c);
    }
    ASSERT_EQ(idx1.size, 16 * listed.size());
    const std::vector<uint8_t> raw = f.Read(idx1.offset + 8, idx1.size);
    size_t videoAt = 0, audioAt = 0;
    const std::vector<Expected> expectedVideo = ExpectedVideo(), expectedAudio = ExpectedAudio();
    for (size_t i = 0; i < listed.size(); ++i) {
        const uint8_t* e = &raw[16 * i];
        const uint32_t flags = e[4] | e[5] << 8, offset = e[8] | e[9] << 8 | e[10] << 16 | uint32_t(e[11]) << 24;
        const uint32_t length = e[12] | e[13] << 8 | e[14] << 16 | uint32_t(e[15]) << 24;
        EXPECT_EQ(std::string(e, e + 4), listed[i].id) << i;
        EXPECT_EQ(offset, listed[i].offset - (first.moviStart - 4)) << i;
        EXPECT_EQ(length, listed[i].size) << i;
        bool sync = false;
        if (listed[i].id.rfind("00d", 0) == 0)
            sync = expectedVideo[videoAt++].sync;
        if (listed[i].id == "01wb")
            sync = expectedAudio[audioAt++].sync;
        EXPECT_EQ(flags, sync ? 0x10u : 0u) << i;
    }
    EXPECT_GT(videoAt, P::kGapFrames) << "the null frames lie in the first RIFF";
}

TEST(OpenDmlSuperIndex, AFullSuperIndexEndsTheRecordingWithinItsBlock)
{
    SparseFileSystem fs;
    EventLog events;
    test::RecordPastTheSuperIndex(fs, events, "full");
    ASSERT_EQ(events.Events().size(), 1u);
    EXPECT_EQ(events.Events()[0].code, kEcErrorAbort);
    EXPECT_EQ(events.Events()[0].param1, static_cast<intptr_t>(static_cast<HResult>(0x800700DF)));
    EXPECT_EQ(fs.misalignedWrites, 0);

    // Finished at stop: one RIFF, the super index full to its last entry and the list
    // after it intact; the gap's frames as far as the indexes reach, nothing after them.
    const SparseFileSystem::Content& f = fs.File("full.avi");
    const OdmlFile file(f, false);
    ASSERT_EQ(file.riffs.size(), 1u);
    EXPECT_EQ(8 + file.riffs[0].size, f.Size());
    std::vector<uint32_t> durations;
    const uint64_t indx = file.streams.at(0).superIndex;
    const auto blocks = file.Indexes(indx, "ix00", "00db", &durations);
    ASSERT_EQ(blocks.size(), kSuperCapacity);
    EXPECT_EQ(f.Id(indx + kX), "LIST");
    EXPECT_EQ(f.Id(indx + kX + 8), "odml");
    EXPECT_EQ(blocks[0].entries.size(), 3u);
    uint64_t total = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        total += durations[i];
        if (i > 0) {
            ASSERT_EQ(blocks[i].entries.size(), kBlockCapacity) << i;
        }
    }
    const uint32_t frames = 3 + (kSuperCapacity - 1) * kBlockCapacity;
    EXPECT_EQ(total, frames);
    EXPECT_EQ(f.U32(48), frames);
    EXPECT_EQ(file.streams[0].length, frames);
    for (const IndexEntry& e : blocks[0].entries)
        EXPECT_EQ(e.size, 1024u);
    // The last null frame and its JUNK end the movi list: the pictures after the gap are
    // not written.
    const IndexEntry last = blocks.back().entries.back();
    EXPECT_EQ(last.size, 0x80000000u);
    const std::vector<FileChunk> tail = file.Children(last.data - 8, file.riffs[0].moviEnd);
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_EQ(tail[0].id, "00dc");
    EXPECT_EQ(tail[1].id, "JUNK");
}

}  // namespace
}  // namespace trelvox
