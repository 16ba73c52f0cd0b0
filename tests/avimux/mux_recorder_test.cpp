// Recordings written through the core into files in memory: file sets, splits, the
// provisional header, and how failures end a recording.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <system_error>
#include <thread>

#include "ByteOrder.h"
#include "ChunkIds.h"
#include "FileNaming.h"
#include "MemoryFileSystem.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "AviCheck.h"
#include "SparseFileSystem.h"
#include "WriteHookFileSystem.h"

namespace trelvox {
namespace {

using test::AviView;
using test::EventLog;
using test::MakeAudio;
using test::MakeVideo;
using test::TimedSample;

constexpr int64_t kT = 333667;
constexpr uint32_t kH = 512;

class Recorder : public ::testing::Test {
protected:
    Recorder() { setup.fileName = "rec"; }

    HResult Prepare(bool video = true, bool audio = true)
    {
        if (video)
            setup.inputs.video = MakeVideo(32, 16, test::kYuy2, frameDuration);
        if (audio)
            setup.inputs.audio = MakeAudio();
        return recorder.Prepare(setup);
    }
    std::vector<uint8_t> Frame(int n, uint32_t size = 1024)
    {
        std::vector<uint8_t> f(size, static_cast<uint8_t>(n));
        return f;
    }
    HResult Video(int n, int64_t start, bool sync = true, uint32_t size = 1024)
    {
        const std::vector<uint8_t> f = Frame(n, size);
        return recorder.ReceiveVideo(TimedSample(f, start, sync));
    }
    HResult Audio(int64_t start, uint32_t bytes = 4800)
    {
        const std::vector<uint8_t> a(bytes, 0x11);
        return recorder.ReceiveAudio(TimedSample(a, start, false));
    }
    const std::vector<uint8_t>& Bytes(uint32_t file) { return fs.Bytes(SetFileName("rec", file)); }
    std::vector<std::string> Ids(uint32_t file)
    {
        std::vector<std::string> ids;
        for (const test::Chunk& c : AviView(Bytes(file)).moviChunks)
            ids.push_back(c.id);
        return ids;
    }
    bool HasEvent(int32_t code, intptr_t param)
    {
        for (const EventLog::Event& e : events.Events()) {
            if (e.code == code && e.param1 == param)
                return true;
        }
        return false;
    }

    int64_t frameDuration = kT;
    MemoryFileSystem fs;
    EventLog events;
    MuxRunSetup setup;
    MuxRecorder recorder{fs, events, WriterThreading::Inline};
};

// Every movi chunk starts on a sector, and idx1 lists exactly the movi chunks.
void ExpectConsistentFile(const std::vector<uint8_t>& bytes)
{
    AviView v(bytes);
    ASSERT_NE(v.idx1, 0u);
    EXPECT_EQ(v.U32(4), bytes.size() - 8);  // the RIFF covers the whole file
    const uint32_t entries = v.U32(v.idx1 + 4) / 16;
    ASSERT_EQ(entries, v.moviChunks.size());
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t e = v.idx1 + 8 + 16 * i;
        const test::Chunk& c = v.moviChunks[i];
        EXPECT_EQ(v.Id(e), c.id);
        EXPECT_EQ(v.U32(e + 8) + v.moviList + 8, c.offset);
        EXPECT_EQ(v.U32(e + 12), c.size);
    }
    for (const test::Chunk& c : v.moviChunks) {
        if (c.size != 0) {
            EXPECT_EQ(c.offset % 512, 0u) << c.id << " at " << c.offset;
        }
    }
}

TEST_F(Recorder, StopRightAfterPrepareLeavesOneEmptyValidFile)
{
    ASSERT_EQ(Prepare(), kS_OK);
    EXPECT_EQ(fs.Names().size(), 40u);  // the whole set is made up front
    recorder.Stop();
    EXPECT_EQ(fs.Names(), std::set<std::string>{"rec000.avi"});
    const std::vector<uint8_t>& b = Bytes(0);
    ASSERT_EQ(b.size(), kH + 512u);
    AviView v(b);
    EXPECT_EQ(v.U32(48), 0u);  // total frames
    EXPECT_EQ(v.moviList, kH - 12);
    EXPECT_EQ(v.idx1, kH);
    EXPECT_EQ(v.U32(kH + 4), 0u);  // idx1 of 8 bytes, then JUNK
    EXPECT_EQ(v.Id(kH + 8), "JUNK");
    EXPECT_FALSE(fs.File("rec000.avi").open);
}

TEST_F(Recorder, GapsAudioAndIndexInOneFile)
{
    ASSERT_EQ(Prepare(), kS_OK);
    EXPECT_EQ(Video(0, 0), kS_OK);
    EXPECT_EQ(Audio(0), kS_OK);
    EXPECT_EQ(Video(1, kT, false), kS_OK);
    EXPECT_EQ(Video(2, 4 * kT), kS_OK);     // two frames missing
    EXPECT_EQ(Audio(250000, 4801), kS_OK);  // rounded down to whole blocks
    EXPECT_EQ(Video(3, 5 * kT, true, 511), kS_OK);
    recorder.Stop();

    const std::vector<uint8_t>& b = Bytes(0);
    ExpectConsistentFile(b);
    EXPECT_EQ(fs.misalignedWrites, 0);
    EXPECT_EQ(Ids(0), (std::vector<std::string>{"00db", "01wb", "00dc", "00dc", "00dc", "00db", "01wb", "00db"}));
    AviView v(b);
    const auto& c = v.moviChunks;
    EXPECT_EQ(c[0].offset, kH);
    EXPECT_EQ(c[1].offset, kH + 1536);  // 1032 bytes padded to 1536
    EXPECT_EQ(c[2].offset, kH + 1536 + 5120);
    EXPECT_EQ(c[3].offset, c[2].offset + 1536);  // the null run follows the sample's filler
    EXPECT_EQ(c[4].offset, c[3].offset + 8);
    EXPECT_EQ(c[5].offset, c[4].offset + 504);  // 16 bytes of nulls, then JUNK to the sector
    EXPECT_EQ(c[6].size, 4800u);
    EXPECT_EQ(c[7].size, 511u);
    EXPECT_EQ(b[c[7].offset + 8 + 511], 0u);  // pad byte
    EXPECT_EQ(v.Id(c[7].offset + 520), "JUNK");
    EXPECT_EQ(v.U32(48), 6u);                      // avih total frames, nulls included
    EXPECT_EQ(v.U32(v.strh[0] + 32), 6u);          // video dwLength
    EXPECT_EQ(v.U32(v.strh[1] + 32), 2400u);       // audio dwLength in blocks
    EXPECT_EQ(v.U32(v.strh[0] + 36), 1024u + 8u);  // largest sample + 8
    EXPECT_EQ(v.U32(v.strh[1] + 36), 4800u + 8u);
    const uint64_t nullEntry = v.idx1 + 8 + 16 * 3;
    EXPECT_EQ(v.U32(nullEntry + 4), 0u);
    EXPECT_EQ(v.U32(nullEntry + 12), 0u);
    EXPECT_EQ(v.U32(v.idx1 + 8 + 4), 0x10u);  // key frame flag
    EXPECT_EQ(v.U32(v.idx1 + 8 + 16 * 2 + 4), 0u);
    const MuxStatistics s = recorder.Statistics();
    EXPECT_EQ(s.videoFrames, 6u);
    EXPECT_EQ(s.droppedFrames, 2u);
    EXPECT_EQ(s.audioBuffers, 2u);
}

// Sample buffers are reused: a smaller frame in a buffer that held a larger one must
// still get its own bytes, a zero pad byte and zeroed filler, nothing left over.
TEST_F(Recorder, ReusedBuffersLeaveNothingOfEarlierFrames)
{
    ASSERT_EQ(Prepare(), kS_OK);
    const uint32_t sizes[] = {1500, 1023, 1001, 777, 1499};
    for (int i = 0; i < 5; ++i) {
        const uint8_t fill = static_cast<uint8_t>(0xA0 + i);
        const std::vector<uint8_t> f(sizes[i], fill);
        ASSERT_EQ(recorder.ReceiveVideo(TimedSample(f, i * kT)), kS_OK);
        const std::vector<uint8_t> a(4800 - 400 * i, fill);
        ASSERT_EQ(recorder.ReceiveAudio(TimedSample(a, i * kT, false)), kS_OK);
    }
    recorder.Stop();

    const std::vector<uint8_t>& b = Bytes(0);
    ExpectConsistentFile(b);
    AviView v(b);
    ASSERT_EQ(v.moviChunks.size(), 10u);
    for (size_t i = 0; i < v.moviChunks.size(); ++i) {
        const test::Chunk& c = v.moviChunks[i];
        const uint8_t fill = static_cast<uint8_t>(0xA0 + i / 2);
        const uint8_t* data = &b[c.offset + 8];
        EXPECT_EQ(std::count(data, data + c.size, fill), c.size) << c.id << " " << i;
        if (c.size & 1u) {
            EXPECT_EQ(data[c.size], 0u) << "pad byte of chunk " << i;
        }
    }
    ASSERT_EQ(v.moviJunk.size(), 10u);
    for (const test::Chunk& j : v.moviJunk) {
        const uint8_t* payload = &b[j.offset + 8];
        EXPECT_EQ(std::count(payload, payload + j.size, 0), j.size) << "JUNK at " << j.offset;
    }
}

TEST_F(Recorder, LeadingDelayBecomesDwStartOfTheFirstFileOnly)
{
    frameDuration = 333333;
    setup.settings.splitMode = SplitMode::FrameCount;
    setup.settings.splitCountVideo = 2;
    ASSERT_EQ(Prepare(true, false), kS_OK);
    for (int i = 0; i < 4; ++i)
        Video(i, 10000000 + i * 333333);
    recorder.Stop();
    AviView first(Bytes(0)), second(Bytes(1));
    EXPECT_EQ(first.U32(first.strh[0] + 28), 30u);
    EXPECT_EQ(second.U32(second.strh[0] + 28), 0u);
    EXPECT_EQ(Ids(0), (std::vector<std::string>{"00db", "00db"}));  // no null frames written
}

TEST_F(Recorder, ProvisionalHeaderIsReplacedByTheFinalOne)
{
    ASSERT_EQ(Prepare(), kS_OK);
    const MemoryFileSystem::Content& file = fs.File("rec000.avi");
    ASSERT_EQ(file.bytes.size(), kH);
    EXPECT_EQ(GetU32(&file.bytes[0]), Fourcc("RIFF"));
    EXPECT_EQ(GetU32(&file.bytes[4]), 0u);
    EXPECT_EQ(GetU32(&file.bytes[kH - 8]), 0u);
    EXPECT_EQ(GetU32(&file.bytes[kH - 4]), Fourcc("movi"));
    for (int i = 0; i < 20; ++i) {
        Video(i, i * kT);
        Audio(i * kT);
    }
    recorder.Stop();

    // The same file without the provisional header: every later write replayed alone.
    std::vector<uint8_t> without;
    ASSERT_EQ(file.writes.front().offset, 0u);
    for (size_t i = 1; i < file.writes.size(); ++i) {
        const MemoryFileSystem::Write& w = file.writes[i];
        if (without.size() < w.offset + w.data.size())
            without.resize(w.offset + w.data.size());
        std::copy(w.data.begin(), w.data.end(), without.begin() + static_cast<ptrdiff_t>(w.offset));
    }
    EXPECT_EQ(without, file.bytes);
    ExpectConsistentFile(file.bytes);
}

TEST_F(Recorder, SampleWithoutTimeEndsTheRecording)
{
    ASSERT_EQ(Prepare(), kS_OK);
    Video(0, 0);
    MuxSample untimed = TimedSample(Frame(1), 0);
    untimed.hasTime = false;
    EXPECT_EQ(recorder.ReceiveVideo(untimed), kVFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_TRUE(HasEvent(kEcErrorAbort, kVFW_E_SAMPLE_TIME_NOT_SET));
    EXPECT_FALSE(recorder.IsPrepared());
    EXPECT_EQ(Video(2, kT), kS_OK);  // ignored
    EXPECT_EQ(Audio(0), kS_OK);
    recorder.Stop();
    ExpectConsistentFile(Bytes(0));
    EXPECT_EQ(Ids(0), std::vector<std::string>{"00db"});
}

TEST_F(Recorder, WriteFailureEndsTheRecordingAndKeepsWhatWasWritten)
{
    const HResult diskFull = HResultFromWin32(112);
    fs.FailWrite(5, diskFull);  // the provisional header, then three chunks, then this
    ASSERT_EQ(Prepare(), kS_OK);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Video(i, i * kT), kS_OK);  // the pin learns nothing; the writer reports
        Audio(i * kT);
    }
    EXPECT_TRUE(HasEvent(kEcErrorAbort, diskFull));
    EXPECT_FALSE(recorder.IsPrepared());
    recorder.Stop();
    ExpectConsistentFile(Bytes(0));
    EXPECT_EQ(Ids(0), (std::vector<std::string>{"00db", "01wb", "00db"}));
}

TEST_F(Recorder, FailedCreationLeavesNoStrayFiles)
{
    const std::vector<uint8_t> older(3000, 0x42);
    fs.Put("rec002.avi", older);  // not ours: stays as it was
    fs.FailCreate("rec005.avi", HResultFromWin32(5));
    EXPECT_EQ(Prepare(), HResultFromWin32(5));
    EXPECT_EQ(fs.Names(), std::set<std::string>{"rec002.avi"});
    EXPECT_EQ(fs.Bytes("rec002.avi"), older);
    EXPECT_FALSE(recorder.IsPrepared());
    EXPECT_EQ(Video(0, 0), kS_OK);

    setup.fileName.clear();
    EXPECT_EQ(Prepare(), static_cast<HResult>(0x8007007B));
    EXPECT_EQ(fs.Names().size(), 1u);

    setup.fileName = "rec";
    setup.settings.muxMode = static_cast<MuxMode>(2);  // a stored number that names no layout
    EXPECT_EQ(Prepare(), kE_INVALIDARG);
    EXPECT_EQ(fs.Names().size(), 1u);
}

TEST_F(Recorder, OneFileOnlyEndsTheRecordingWhenFull)
{
    setup.settings.maxFiles = 1;
    setup.settings.splitMode = SplitMode::FrameCount;
    setup.settings.splitCountVideo = 5;
    ASSERT_EQ(Prepare(true, false), kS_OK);
    for (int i = 0; i < 8; ++i)
        Video(i, i * kT);
    EXPECT_TRUE(HasEvent(kEcFilesFull, 1));
    EXPECT_FALSE(recorder.IsPrepared());
    recorder.Stop();
    EXPECT_EQ(fs.Names(), std::set<std::string>{"rec000.avi"});
    ExpectConsistentFile(Bytes(0));
    EXPECT_EQ(Ids(0).size(), 5u);
}

TEST_F(Recorder, SizeLimitMovesToTheNextFileBeforeReaching9MiB)
{
    setup.settings.maxFileSize = MaxFileSizeFromMegabytes(5);  // clamped to 10 MB
    ASSERT_EQ(Prepare(true, false), kS_OK);
    const uint32_t frame = 300000;
    for (int i = 0; i < 45; ++i)
        Video(i, i * kT, true, frame);
    recorder.Stop();
    ASSERT_EQ(fs.Names().size(), 2u);
    const uint64_t limit = 9 * 1048576;
    const uint64_t chunk = 300544;  // 300,008 bytes padded
    const std::vector<uint8_t>& first = Bytes(0);
    EXPECT_LT(first.size(), limit);
    // One more frame (with the held one, as the rule counts it) would have reached it.
    EXPECT_GE(first.size() + 16 + 512 + 2 * chunk, limit);
    ExpectConsistentFile(first);
    ExpectConsistentFile(Bytes(1));
    EXPECT_EQ(Ids(0).size() + Ids(1).size(), 45u);
}

TEST_F(Recorder, FrameCountSplitCutsANullRunAndStartsWithTheHeldFrame)
{
    setup.settings.splitMode = SplitMode::FrameCount;
    setup.settings.splitCountVideo = 10;
    ASSERT_EQ(Prepare(true, false), kS_OK);
    for (int i = 0; i < 6; ++i)
        Video(i, i * kT);
    Video(6, 16 * kT);  // ten frames missing: the run crosses the split at its 4th
    recorder.Stop();
    EXPECT_EQ(Ids(0), (std::vector<std::string>{"00db", "00db", "00db", "00db", "00db", "00db", "00dc", "00dc", "00dc",
                                                "00dc"}));
    std::vector<std::string> second(1, "00db");
    second.insert(second.end(), 5, "00dc");
    second.push_back("00db");
    EXPECT_EQ(Ids(1), second);
    AviView v(Bytes(1));
    EXPECT_EQ(v.bytes[v.moviChunks[0].offset + 8], 5u);  // the last picture of the old file
    EXPECT_EQ(v.bytes[v.moviChunks[6].offset + 8], 6u);
    ExpectConsistentFile(Bytes(1));
}

TEST_F(Recorder, FrameCountSplitWithoutHeldFrameKeepsTheRun)
{
    setup.settings.splitMode = SplitMode::FrameCount;
    setup.settings.splitCountVideo = 10;
    setup.settings.firstFrameNotDropped = 0;
    ASSERT_EQ(Prepare(true, false), kS_OK);
    for (int i = 0; i < 6; ++i)
        Video(i, i * kT);
    Video(6, 16 * kT);
    recorder.Stop();
    std::vector<std::string> second(6, "00dc");
    second.push_back("00db");
    EXPECT_EQ(Ids(1), second);
}

TEST_F(Recorder, KeyFrameSplitStartsEveryFileWithAKeyFrame)
{
    setup.settings.splitMode = SplitMode::KeyFrameCount;
    setup.settings.splitCountVideo = 2;
    ASSERT_EQ(Prepare(true, false), kS_OK);
    for (int i = 0; i < 7; ++i)
        Video(i, i * kT, i % 2 == 0);
    recorder.Stop();
    EXPECT_EQ(Ids(0), (std::vector<std::string>{"00db", "00dc", "00db", "00dc"}));
    EXPECT_EQ(Ids(1), (std::vector<std::string>{"00db", "00dc", "00db"}));
}

TEST_F(Recorder, AudioSplitCountsBuffersAndAudioAloneUses00wb)
{
    setup.settings.splitMode = SplitMode::FrameCount;
    setup.settings.splitCountAudio = 3;
    ASSERT_EQ(Prepare(false, true), kS_OK);
    for (int i = 0; i < 7; ++i)
        Audio(i * 250000);
    recorder.Stop();
    EXPECT_EQ(Ids(0), std::vector<std::string>(3, "00wb"));
    EXPECT_EQ(Ids(1), std::vector<std::string>(3, "00wb"));
    EXPECT_EQ(Ids(2), std::vector<std::string>(1, "00wb"));
    EXPECT_EQ(fs.Names().size(), 3u);
    AviView v(Bytes(0));
    EXPECT_EQ(v.U32(32), 0u);  // no frame time without video
    EXPECT_EQ(v.strh.size(), 1u);
}

TEST_F(Recorder, LateFirstAudioIsPrecededBySilenceInBuffersOfItsSize)
{
    setup.settings.audioDelayProcessing = AudioDelayProcessing::NullFrames;
    ASSERT_EQ(Prepare(false, true), kS_OK);
    Audio(2500000, 4400);  // 0.25 s late: 48,000 bytes of silence
    recorder.Stop();
    AviView v(Bytes(0));
    ASSERT_EQ(v.moviChunks.size(), 12u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(v.moviChunks[i].size, 4400u);
    EXPECT_EQ(v.moviChunks[10].size, 4000u);
    EXPECT_EQ(v.bytes[v.moviChunks[10].offset + 8 + 3999], 0u);
    EXPECT_EQ(v.bytes[v.moviChunks[11].offset + 8], 0x11);
    EXPECT_EQ(v.U32(v.strh[0] + 28), 0u);  // the delay is in the data, not in dwStart
}

// An earlier take's bytes beyond the new RIFF could pass for chunks of this one.
TEST_F(Recorder, FileModeZeroReusesALongerFileWithoutKeepingItsOldTail)
{
    fs.Put("rec000.avi", std::vector<uint8_t>(100000, 0x5A));
    ASSERT_EQ(Prepare(), kS_OK);
    Video(0, 0);
    recorder.Stop();
    const std::vector<uint8_t>& b = Bytes(0);
    EXPECT_EQ(b.size(), GetU32(&b[4]) + 8u);
    EXPECT_EQ(std::count(b.begin(), b.end(), 0x5A), 0);

    setup.settings.fileMode = 1;  // overwrite
    ASSERT_EQ(Prepare(), kS_OK);
    Video(0, 0);
    recorder.Stop();
    EXPECT_EQ(Bytes(0).size(), GetU32(&Bytes(0)[4]) + 8u);
}

TEST_F(Recorder, ProtectStreamsWithoutFilesAndStillCompletes)
{
    setup.protect = true;
    ASSERT_EQ(Prepare(), kS_OK);
    EXPECT_TRUE(fs.Names().empty());
    EXPECT_EQ(Video(0, 0), kS_OK);
    recorder.EndOfStream(StreamKind::Video);
    EXPECT_FALSE(HasEvent(kEcComplete, kS_OK));
    recorder.EndOfStream(StreamKind::Audio);
    EXPECT_TRUE(HasEvent(kEcComplete, kS_OK));
    recorder.Stop();
    EXPECT_TRUE(fs.Names().empty());
}

TEST_F(Recorder, StatisticsLastUntilTheNextRecordingIsPrepared)
{
    ASSERT_EQ(Prepare(), kS_OK);
    Video(0, 0);
    Video(1, 3 * kT);
    Audio(0);
    recorder.Stop();
    const auto expectLastRun = [&] {
        const MuxStatistics s = recorder.Statistics();
        EXPECT_EQ(s.videoFrames, 4u);
        EXPECT_EQ(s.droppedFrames, 2u);
        EXPECT_EQ(s.audioBuffers, 1u);
        EXPECT_EQ(s.audioBlocks, 1200u);
    };
    expectLastRun();
    setup.protect = true;  // a protected Pause records nothing and prepares nothing
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    Video(2, 0);
    recorder.Stop();
    expectLastRun();
    setup.protect = false;
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    EXPECT_EQ(recorder.Statistics().videoFrames, 0u);
    EXPECT_EQ(recorder.Statistics().audioBlocks, 0u);
    recorder.Stop();
}

TEST_F(Recorder, AudioRateOverrideIsWrittenToTheFormat)
{
    setup.settings.audioRateOverrideEnabled = 1;
    setup.settings.audioRateOverride = 48048;
    ASSERT_EQ(Prepare(), kS_OK);
    Audio(0);
    recorder.Stop();
    AviView v(Bytes(0));
    EXPECT_EQ(v.U32(v.strf[1] + 8 + 4), 48048u);
    EXPECT_EQ(v.U32(v.strf[1] + 8 + 8), 192192u);
    EXPECT_EQ(v.U32(v.strh[1] + 24), 192192u);
}

TEST(RecorderThreaded, WriterThreadWritesEverythingAndCompletes)
{
    MemoryFileSystem fs;
    EventLog events;
    MuxRecorder recorder(fs, events);
    MuxRunSetup setup;
    setup.fileName = "rec";
    setup.settings.videoBufferCount = 2;  // the pin waits for the writer
    setup.inputs.video = MakeVideo(32, 16);
    setup.inputs.audio = MakeAudio();
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    std::thread audio([&] {
        const std::vector<uint8_t> a(1920, 0x22);
        for (int i = 0; i < 100; ++i)
            recorder.ReceiveAudio(TimedSample(a, i * 100000, false));
        recorder.EndOfStream(StreamKind::Audio);
    });
    const std::vector<uint8_t> f(1024, 0x33);
    for (int i = 0; i < 100; ++i)
        recorder.ReceiveVideo(TimedSample(f, i * kT));
    recorder.EndOfStream(StreamKind::Video);
    audio.join();
    recorder.Stop();
    bool complete = false;
    for (const EventLog::Event& e : events.Events())
        complete |= e.code == kEcComplete;
    EXPECT_TRUE(complete);
    ExpectConsistentFile(fs.Bytes("rec000.avi"));
    AviView v(fs.Bytes("rec000.avi"));
    EXPECT_EQ(v.moviChunks.size(), 200u);
    EXPECT_EQ(v.U32(48), 100u);
}

TEST(OutputName, UpTo252CharactersAndTheNames)
{
    EXPECT_EQ(CheckOutputNameLength(252), kS_OK);
    EXPECT_EQ(CheckOutputNameLength(253), static_cast<HResult>(0x800700CE));
    EXPECT_EQ(SetFileName("C:\\v\\a", 7), "C:\\v\\a007.avi");
    EXPECT_EQ(SetFileName("a", 1234), "a1234.avi");
    EXPECT_EQ(SingleFileName("C:\\v\\a"), "C:\\v\\a.avi");
    EXPECT_EQ(VolumeRoot("C:\\v\\a"), "C:\\");
}

TEST_F(Recorder, WriterThreadThatCannotStartFailsThePreparationAndLeavesNoFiles)
{
    MuxRecorder threaded(fs, events, WriterThreading::OwnThread, [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    setup.inputs.video = MakeVideo(32, 16);
    EXPECT_EQ(threaded.Prepare(setup), kE_FAIL);
    EXPECT_FALSE(threaded.IsPrepared());
    EXPECT_TRUE(fs.Names().empty());
    threaded.Stop();
    EXPECT_TRUE(fs.Names().empty());
}

TEST_F(Recorder, Idx1ThatCannotBeWrittenIsNotClaimedByTheLastFile)
{
    ASSERT_EQ(Prepare(), kS_OK);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(Video(i, i * kT), kS_OK);
    // The first write of finishing fails, as the idx1 does on a full disk.
    fs.FailWrite(static_cast<int>(fs.File("rec000.avi").writes.size()) + 1, HResultFromWin32(112));
    recorder.Stop();
    const std::vector<uint8_t>& b = Bytes(0);
    const test::AviCheck check = test::CheckAvi(test::BytesOf(b));
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_FALSE(check.provisional);
    EXPECT_FALSE(check.claimsIndex);
    EXPECT_EQ(check.walkedVideo.size(), 3u);
    EXPECT_EQ(GetU32(&b[4]) + 8u, b.size()) << "the RIFF ends with the data";
}

// A file system whose n-th write runs out of memory, as a buffer allocation may.
class OutOfMemoryOnWrite : public test::WriteHookFileSystem {
public:
    OutOfMemoryOnWrite(MemoryFileSystem& inner, int n)
        : WriteHookFileSystem(inner, [this, n](MuxFile& file, uint64_t offset, const uint8_t* data, uint32_t length) {
              if (++writes_ == n)
                  throw std::bad_alloc();
              return file.Write(offset, data, length);
          })
    {
    }

private:
    int writes_ = 0;
};

TEST_F(Recorder, OutOfMemoryWhileFinishingStillClosesAndCleansUp)
{
    OutOfMemoryOnWrite failing(fs, 3);  // header, one frame, then the first write of finishing
    MuxRecorder oom(failing, events, WriterThreading::Inline);
    setup.inputs.video = MakeVideo(32, 16);
    ASSERT_EQ(oom.Prepare(setup), kS_OK);
    const std::vector<uint8_t> frame = Frame(1);
    ASSERT_EQ(oom.ReceiveVideo(TimedSample(frame, 0)), kS_OK);
    oom.Stop();  // returns instead of throwing
    EXPECT_EQ(fs.Names(), std::set<std::string>{"rec000.avi"});
    EXPECT_FALSE(fs.File("rec000.avi").open);
    const test::AviCheck check = test::CheckAvi(test::BytesOf(Bytes(0)));
    EXPECT_TRUE(check.problems.empty()) << check.Problems();
    EXPECT_EQ(check.walkedVideo.size(), 1u);
}

TEST(RecorderSilence, TenMinutesLateAudioIsWrittenInBoundedPieces)
{
    test::SparseFileSystem fs;
    EventLog events;
    MuxRecorder recorder(fs, events, WriterThreading::Inline);
    MuxRunSetup setup;
    setup.fileName = "rec";
    setup.settings.audioDelayProcessing = AudioDelayProcessing::NullFrames;
    setup.settings.maxFiles = 1;
    setup.inputs.audio = MakeAudio();
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    const std::vector<uint8_t> sound(4800, 0x11);
    ASSERT_EQ(recorder.ReceiveAudio(TimedSample(sound, 600 * 10000000ll, false)), kS_OK);
    recorder.Stop();
    const test::SparseFileSystem::Content& file = fs.File("rec000.avi");
    uint64_t largest = 0;
    for (const test::SparseFileSystem::Extent& e : file.Writes())
        largest = std::max<uint64_t>(largest, e.length);
    EXPECT_LE(largest, 8u << 20) << "no write, and so no allocation, of the whole silence";
    const uint64_t silence = 600ull * 192000;
    EXPECT_EQ(recorder.Statistics().audioBlocks, (silence + 4800) / 4);
    EXPECT_GT(file.Size(), silence);
}

// A video type without a frame duration: the first samples tell it.
class UntimedVideo : public Recorder {
protected:
    UntimedVideo() { frameDuration = 0; }
    // A picture stamped with its start, and its stop when given.
    HResult Picture(int n, int64_t start, std::optional<int64_t> stop = std::nullopt)
    {
        const std::vector<uint8_t> f = Frame(n);
        MuxSample s = TimedSample(f, start);
        s.stop = stop.value_or(start);
        return recorder.ReceiveVideo(s);
    }
    HResult Unstamped()
    {
        const std::vector<uint8_t> f = Frame(0);
        MuxSample s = TimedSample(f, 0);
        s.hasTime = false;
        return recorder.ReceiveVideo(s);
    }
    uint32_t Scale(const std::vector<uint8_t>& file)
    {
        AviView v(file);
        return v.U32(v.strh[0] + 20);
    }
};

TEST_F(UntimedVideo, StopMinusStartGivesTheRateOfProvisionalAndFinalHeaders)
{
    ASSERT_EQ(Prepare(true, false), kS_OK);
    EXPECT_EQ(Scale(Bytes(0)), 0u) << "not known yet";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Picture(i, i * kT, (i + 1) * kT), kS_OK);
    EXPECT_EQ(Scale(Bytes(0)), kT) << "the provisional header is written again";
    recorder.Stop();
    ExpectConsistentFile(Bytes(0));
    AviView v(Bytes(0));
    EXPECT_EQ(v.U32(32), kT / 10);  // dwMicroSecPerFrame
    EXPECT_EQ(v.U32(v.strh[0] + 20), kT);
    EXPECT_EQ(v.U32(v.strh[0] + 24), 10000000u);
    EXPECT_EQ(v.U32(v.strh[0] + 32), 3u);
}

// Start times only: the first picture waits for the second; a later gap is counted in
// the learnt duration. The OpenDML header gets it too.
TEST_F(UntimedVideo, TheFirstTwoStartTimesGiveItInBothModes)
{
    for (MuxMode mode : {MuxMode::Avi1FileSet, MuxMode::OpenDml}) {
        setup.settings.muxMode = mode;
        const std::string name = mode == MuxMode::Avi1FileSet ? SetFileName("rec", 0) : SingleFileName("rec");
        ASSERT_EQ(Prepare(), kS_OK);
        EXPECT_EQ(Audio(0), kS_OK);
        EXPECT_EQ(Picture(0, 0), kS_OK);
        EXPECT_EQ(recorder.Statistics().videoFrames, 0u) << "held";
        EXPECT_EQ(Picture(1, kT), kS_OK);
        EXPECT_EQ(Scale(fs.Bytes(name)), kT) << name;
        EXPECT_EQ(Picture(2, 4 * kT), kS_OK);  // two frames missing
        recorder.Stop();
        EXPECT_TRUE(events.Events().empty());
        AviView v(fs.Bytes(name));
        EXPECT_EQ(v.U32(v.strh[0] + 20), kT) << name;
        EXPECT_EQ(v.U32(v.strh[0] + 32), 5u) << name;
        const test::AviCheck check = test::CheckAvi(test::BytesOf(fs.Bytes(name)));
        EXPECT_TRUE(check.problems.empty()) << check.Problems();
        EXPECT_EQ(check.Pictures(), 3u) << name;
    }
}

TEST_F(UntimedVideo, TheOverrideStillWinsOverTheSamples)
{
    setup.settings.frameDurationOverrideEnabled = 1;
    setup.settings.frameDurationOverride = 400000;
    ASSERT_EQ(Prepare(true, false), kS_OK);
    EXPECT_EQ(Picture(0, 0, kT), kS_OK);
    EXPECT_EQ(Picture(1, kT, 2 * kT), kS_OK);
    recorder.Stop();
    EXPECT_EQ(Scale(Bytes(0)), 400000u);
}

// No time to learn from: the first picture is refused and, nothing having been written,
// no file stays. Likewise start times that do not advance, or a lone first picture.
TEST_F(UntimedVideo, WithoutUsableTimesTheRecordingIsRefusedAndNoFileStays)
{
    const std::function<void()> untimed[] = {
        [&] { EXPECT_EQ(Unstamped(), kVFW_E_SAMPLE_TIME_NOT_SET); },
        [&] {
            EXPECT_EQ(Picture(0, 500), kS_OK);
            EXPECT_EQ(Picture(1, 500), kVFW_E_SAMPLE_TIME_NOT_SET);
        },
        [&] {
            EXPECT_EQ(Picture(0, 500), kS_OK);
            recorder.EndOfStream(StreamKind::Video);
        },
    };
    for (size_t i = 0; i < std::size(untimed); ++i) {
        ASSERT_EQ(Prepare(true, false), kS_OK);
        untimed[i]();
        const auto logged = events.Events();
        EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                                [](const EventLog::Event& e) {
                                    return e.code == kEcErrorAbort && e.param1 == kVFW_E_SAMPLE_TIME_NOT_SET;
                                }),
                  static_cast<long>(i + 1))
            << i;
        EXPECT_FALSE(recorder.IsPrepared());
        recorder.Stop();
        EXPECT_TRUE(fs.Names().empty()) << i;
    }
}

// Audio that came before the refused picture stays, in a finished file whose empty
// video stream names the configured rate.
TEST_F(UntimedVideo, AudioWrittenBeforeTheRefusalIsKept)
{
    ASSERT_EQ(Prepare(), kS_OK);
    EXPECT_EQ(Audio(0), kS_OK);
    EXPECT_EQ(Audio(250000), kS_OK);
    EXPECT_EQ(Unstamped(), kVFW_E_SAMPLE_TIME_NOT_SET);
    recorder.Stop();
    EXPECT_EQ(fs.Names(), std::set<std::string>{"rec000.avi"});
    ExpectConsistentFile(Bytes(0));
    AviView v(Bytes(0));
    EXPECT_EQ(v.U32(v.strh[0] + 20), static_cast<uint32_t>(MuxSettings().frameDurationOverride));
    EXPECT_EQ(v.U32(v.strh[0] + 32), 0u);
    EXPECT_EQ(v.U32(v.strh[1] + 32), 2400u);
}

}  // namespace
}  // namespace trelvox
