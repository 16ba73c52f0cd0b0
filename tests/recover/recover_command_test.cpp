// trelvox-recover on recordings that were never stopped, cut at many points: at sector
// boundaries, inside a chunk, inside an unwritten index chunk and inside a later AVIX
// header. Every complete chunk before the cut must come back, in a file whose indexes
// all hold; the set's unused empty files go, nothing else does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "DiskFile.h"
#include "Avi2Writer.h"
#include "AviCheck.h"
#include "AviHeader.h"
#include "OpenDmlIndex.h"
#include "ByteOrder.h"
#include "ExternalReaders.h"
#include "MemoryFileSystem.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "PosixFileSystem.h"
#include "InterruptedRecordings.h"
#include "RecoverCommand.h"

namespace trelvox {
namespace {

namespace fs = std::filesystem;
using test::EventLog;
using test::InterruptedAvi1;
using test::InterruptedOpenDml;
using test::MakeAudio;
using test::MakeVideo;
using test::TimedSample;

constexpr int64_t kT = 333667;

struct Chunk {
    uint64_t offset;
    uint32_t size;
    bool video;
};

void WriteAll(const fs::path& path, const std::vector<uint8_t>& bytes, size_t length)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(length));
}

// The movi chunks of an unfinished recording, walked over its zero gaps.
std::vector<Chunk> ChunksOf(const std::vector<uint8_t>& b)
{
    const test::AviCheck check = test::CheckAvi(test::BytesOf(b));
    std::vector<Chunk> chunks;
    for (uint64_t at : check.walkedVideo)
        chunks.push_back({at, GetU32(&b[at + 4]), true});
    return chunks;
}

class Recover : public ::testing::Test {
protected:
    void SetUp() override
    {
        // In the build tree: /tmp is shared by every clone, whose runs would clash.
        dir = fs::current_path() /
              ("recover_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    int Run(const std::vector<std::string>& args)
    {
        out.str(""), err.str("");
        return recover::RunRecover(args, posix, out, err);
    }

    // Cuts `original` at `cut`, repairs it into a new file and checks that file against the
    // complete video chunks before the cut.
    void ExpectRecoveredAt(const std::vector<uint8_t>& original, const std::vector<Chunk>& chunks, size_t cut,
                           uint32_t headerSize)
    {
        const fs::path cutFile = dir / "cut.avi", repaired = dir / "repaired.avi";
        WriteAll(cutFile, original, cut);
        const int code = Run({"--out", repaired.string(), cutFile.string()});
        size_t complete = 0, nulls = 0;
        for (const Chunk& c : chunks) {
            complete += c.offset + 8 + c.size <= cut ? 1 : 0;
            nulls += c.offset + 8 + c.size <= cut && c.size == 0 ? 1 : 0;
        }
        if (cut < headerSize) {  // not even the whole header: refused, nothing written
            EXPECT_NE(code, recover::kExitOk) << "cut at " << cut;
            EXPECT_FALSE(fs::exists(repaired));
            EXPECT_EQ(test::ReadFileBytes(cutFile).size(), cut) << "the input is never changed";
            return;
        }
        ASSERT_EQ(code, recover::kExitOk) << "cut at " << cut << ": " << err.str();
        const std::vector<uint8_t> bytes = test::ReadFileBytes(repaired);
        const test::AviCheck check = test::CheckAvi(test::BytesOf(bytes));
        EXPECT_TRUE(check.problems.empty()) << "cut at " << cut << ": " << check.Problems();
        EXPECT_FALSE(check.provisional);
        EXPECT_TRUE(check.claimsIndex);
        EXPECT_EQ(check.indexedVideo.size(), complete) << "cut at " << cut;
        EXPECT_EQ(check.walkedVideo.size(), complete) << "cut at " << cut;
        EXPECT_EQ(GetU32(&bytes[48]), complete) << "avih total frames, cut at " << cut;
        if (cut == original.size()) {  // the whole recording, judged by ffmpeg too
            EXPECT_EQ(test::DecodeErrors(repaired.string()), "");
            EXPECT_EQ(test::Probe(repaired.string())["0.nb_read_packets"], std::to_string(complete - nulls));
        }
        if (check.riffs == 1) {
            EXPECT_EQ(GetU32(&bytes[4]) + 8u, bytes.size()) << "cut at " << cut;
        }
        fs::remove(repaired);
    }

    fs::path dir;
    PosixFileSystem posix;
    std::ostringstream out, err;
};

TEST_F(Recover, Avi1RecordingCutAnywhereKeepsEveryCompleteChunk)
{
    MemoryFileSystem memory;
    const std::vector<uint8_t> original = InterruptedAvi1(memory);
    const std::vector<Chunk> chunks = ChunksOf(original);
    ASSERT_EQ(chunks.size(), 23u);  // 20 pictures and 3 null frames
    std::vector<size_t> cuts = {0, 100, 511, original.size()};
    for (size_t s = 512; s < original.size(); s += 512)
        cuts.push_back(s);
    for (const Chunk& c : chunks) {
        cuts.insert(cuts.end(),
                    {c.offset + 4, c.offset + 8 + c.size / 2, c.offset + 8 + c.size - 1, c.offset + 8 + c.size});
    }
    const uint32_t h = AviHeaderSize({MakeVideo(64, 32), MakeAudio()}, 512);
    for (size_t cut : cuts)
        ExpectRecoveredAt(original, chunks, std::min(cut, original.size()), h);
}

TEST_F(Recover, OpenDmlRecordingCutAnywhereKeepsEveryCompleteChunk)
{
    const std::vector<uint8_t> original = InterruptedOpenDml();
    const std::vector<Chunk> chunks = ChunksOf(original);
    ASSERT_EQ(chunks.size(), 40u + 4100u);
    const uint32_t h = AviHeaderSize({MakeVideo(160, 120), MakeAudio()}, 512, IndexBlockBytes(512));
    std::vector<size_t> cuts = {original.size(), 40000, h - 1u, h + 100u, h + 40000u};  // header, first indexes
    for (size_t s = 65536; s < original.size(); s += 4096 * 29)
        cuts.push_back(s);
    for (size_t i = 0; i < chunks.size(); i += chunks[i].size == 0 ? 997 : 4) {
        cuts.insert(cuts.end(), {chunks[i].offset + 3, chunks[i].offset + 8 + chunks[i].size / 2});
    }
    // Inside the zero sectors between chunks: an unwritten standard index chunk, or the
    // room left for the first RIFF's idx1 and a later RIFF's header.
    int gaps = 0;
    bool previousZero = false;
    for (size_t at = h; at + 512 <= original.size(); at += 512) {
        const bool zero = std::all_of(&original[at], &original[at] + 512, [](uint8_t b) { return b == 0; });
        if (zero && !previousZero) {
            cuts.insert(cuts.end(), {at + 8, at + 700});
            ++gaps;
        }
        previousZero = zero;
    }
    EXPECT_GE(gaps, 4) << "index chunks and RIFF headers between the chunks";
    for (size_t cut : cuts)
        ExpectRecoveredAt(original, chunks, cut, h);
}

TEST_F(Recover, InPlaceRepairRemovesOnlyTheUnusedEmptyFilesOfTheSet)
{
    MemoryFileSystem memory;
    const std::vector<uint8_t> original = InterruptedAvi1(memory);
    WriteAll(dir / "rec000.avi", original, original.size());
    WriteAll(dir / "rec001.avi", original, 0);  // made in advance, never used
    WriteAll(dir / "rec002.avi", original, 0);
    WriteAll(dir / "other000.avi", original, 0);  // another set
    WriteAll(dir / "rec.txt", original, 0);
    ASSERT_EQ(Run({(dir / "rec000.avi").string()}), recover::kExitOk) << err.str();
    EXPECT_NE(out.str().find("23 video frames (3 null)"), std::string::npos) << out.str();
    EXPECT_TRUE(fs::exists(dir / "rec000.avi"));
    EXPECT_FALSE(fs::exists(dir / "rec001.avi"));
    EXPECT_FALSE(fs::exists(dir / "rec002.avi"));
    EXPECT_TRUE(fs::exists(dir / "other000.avi"));
    EXPECT_TRUE(fs::exists(dir / "rec.txt"));
    EXPECT_FALSE(fs::exists(dir / "rec000.avi.recovering"));
    const std::vector<uint8_t> repaired = test::ReadFileBytes(dir / "rec000.avi");
    const test::AviCheck check = test::CheckAvi(test::BytesOf(repaired));
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_EQ(check.indexedVideo.size(), 23u);

    // Run again: the file is finished now and stays as it is.
    ASSERT_EQ(Run({(dir / "rec000.avi").string()}), recover::kExitOk);
    EXPECT_NE(out.str().find("finished normally"), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(dir / "rec000.avi"), repaired);
}

// Two takes under one name, the second shorter and never stopped: the file the second
// reuses must not lead the repair on into the first take's chunks.
std::vector<uint8_t> SecondTakeInterrupted(MuxMode muxMode, const std::string& file)
{
    MemoryFileSystem memory;
    EventLog events;
    const std::vector<uint8_t> sound(6400, 0x22);
    const auto take = [&](int frames, int firstPicture, bool stop) {
        MuxRecorder recorder(memory, events, WriterThreading::Inline);
        MuxRunSetup setup;
        setup.fileName = "rec";
        setup.settings.maxFiles = 3;
        setup.settings.muxMode = muxMode;
        setup.inputs.video = MakeVideo(64, 32);
        setup.inputs.audio = MakeAudio();
        ASSERT_EQ(recorder.Prepare(setup), kS_OK);
        for (int i = 0; i < frames; ++i) {
            recorder.ReceiveVideo(TimedSample(test::Yuy2Picture(64, 32, firstPicture + i), i * kT, i % 4 == 0));
            recorder.ReceiveAudio(TimedSample(sound, i * kT, false));
        }
        if (stop)
            recorder.Stop();
    };
    take(30, 0, true);
    take(8, 100, false);  // destroyed without Stop
    return memory.Bytes(file);
}

TEST_F(Recover, ATakeRecordedAgainUnderTheSameNameKeepsOnlyItsOwnChunks)
{
    for (const MuxMode muxMode : {MuxMode::Avi1FileSet, MuxMode::OpenDml}) {
        const bool fileSet = muxMode == MuxMode::Avi1FileSet;
        SCOPED_TRACE(fileSet ? "AVI 1.0 set" : "OpenDML");
        const std::vector<uint8_t> interrupted = SecondTakeInterrupted(muxMode, fileSet ? "rec000.avi" : "rec.avi");
        ASSERT_FALSE(interrupted.empty());
        const fs::path input = dir / "rec000.avi", repaired = dir / "repaired.avi";
        WriteAll(input, interrupted, interrupted.size());
        ASSERT_EQ(Run({"--out", repaired.string(), input.string()}), recover::kExitOk) << err.str();
        EXPECT_NE(out.str().find(" 8 video frames (0 null)"), std::string::npos) << out.str();
        const test::AviCheck check = test::CheckAvi(test::BytesOf(test::ReadFileBytes(repaired)));
        EXPECT_TRUE(check.problems.empty()) << check.Problems();
        EXPECT_EQ(check.indexedVideo.size(), 8u);
        EXPECT_EQ(test::Probe(repaired.string())["0.nb_read_packets"], "8");
        fs::remove(repaired);
    }
}

TEST_F(Recover, FilesItCannotUnderstandAreLeftAsTheyAre)
{
    const std::vector<uint8_t> text(5000, 'x');
    WriteAll(dir / "a.avi", text, text.size());
    EXPECT_EQ(Run({(dir / "a.avi").string()}), recover::kExitNotUnderstood);
    EXPECT_NE(err.str().find("not an AVI file"), std::string::npos) << err.str();
    EXPECT_EQ(test::ReadFileBytes(dir / "a.avi"), text);
    EXPECT_EQ(Run({(dir / "missing.avi").string()}), recover::kExitFailed);
    EXPECT_EQ(Run({}), recover::kExitUsage);
    EXPECT_EQ(Run({"--out", "x.avi", "a.avi", "b.avi"}), recover::kExitUsage);
    EXPECT_EQ(fs::directory_iterator(dir)->path().filename(), "a.avi");
}

}  // namespace
}  // namespace trelvox
