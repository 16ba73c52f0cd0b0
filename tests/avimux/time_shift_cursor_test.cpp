// Playback read back from recordings in progress: video frames by position in AVI 1.0
// sets and OpenDML files, audio from a block on, and reads racing the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "Avi2Writer.h"
#include "ByteOrder.h"
#include "MemoryFileSystem.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "TimeShiftCursor.h"

namespace trelvox {
namespace {

using test::EventLog;
using test::MakeAudio;
using test::MakeVideo;
using test::TimedSample;

constexpr int64_t kT = 333667;
constexpr int64_t kSecond = kUnitsPerSecond;

// Every frame different: its number up front, then a pattern of it.
std::vector<uint8_t> Frame(uint32_t n, uint32_t size)
{
    std::vector<uint8_t> f(size);
    for (uint32_t i = 0; i < size; ++i)
        f[i] = static_cast<uint8_t>(n * 13 + i * 7);
    PutU32(f.data(), n);
    return f;
}

class Playback : public ::testing::Test {
protected:
    Playback() { setup.fileName = "rec"; }
    ~Playback() override { recorder.Stop(); }

    HResult Prepare(bool video, bool audio)
    {
        if (video)
            setup.inputs.video = MakeVideo(32, 16, test::kYuy2, kT);
        if (audio)
            setup.inputs.audio = MakeAudio();
        return recorder.Prepare(setup);
    }
    void Video(uint32_t n, int64_t start, uint32_t size = kFrameBytes)
    {
        ASSERT_EQ(recorder.ReceiveVideo(TimedSample(Frame(n, size), start, n % 5 == 0)), kS_OK);
    }
    void Audio(uint32_t n, int64_t start)
    {
        ASSERT_EQ(recorder.ReceiveAudio(TimedSample(Frame(n, kAudioBytes), start, false)), kS_OK);
    }
    // The frame shown at recording time `position`, read right after a repositioning.
    std::optional<FilledSample> FrameAt(int64_t position)
    {
        cursor.Reposition(0, position, kNormalRate);
        return recorder.FillVideo(cursor, 0, out.data(), static_cast<uint32_t>(out.size()));
    }
    std::vector<uint8_t> Out(const FilledSample& s) const
    {
        return std::vector<uint8_t>(out.begin(), out.begin() + s.length);
    }

    static constexpr uint32_t kFrameBytes = 1000;
    static constexpr uint32_t kAudioBytes = 4800;  // 25 ms of 48 kHz 16-bit stereo
    MemoryFileSystem fs;
    EventLog events;
    MuxRunSetup setup;
    MuxRecorder recorder{fs, events, WriterThreading::Inline};
    TimeShiftCursor cursor;
    std::vector<uint8_t> out = std::vector<uint8_t>(400000);
};

TEST_F(Playback, FramesAcrossTheFilesOfASetAreThoseWrittenAtTheirPosition)
{
    setup.settings.maxFileSize = MaxFileSizeFromMegabytes(5);  // clamped to 10 MB
    ASSERT_EQ(Prepare(true, false), kS_OK);
    const uint32_t size = 300000;
    for (uint32_t i = 0; i < 45; ++i)
        Video(i, i * kT, size);
    // Past the first file: the second of the set is there.
    ASSERT_TRUE(fs.Exists("rec001.avi"));
    ASSERT_GT(fs.Bytes("rec001.avi").size(), 512u * 2);
    for (uint32_t n : {0u, 1u, 20u, 29u, 30u, 31u, 44u}) {
        const auto s = FrameAt(n * kT + kT / 2);
        ASSERT_TRUE(s) << n;
        EXPECT_EQ(Out(*s), Frame(n, size)) << n;
        EXPECT_EQ(s->sync, n % 5 == 0) << n;
        EXPECT_TRUE(s->discontinuity);
        EXPECT_FALSE(s->hasTime);
    }
    EXPECT_FALSE(FrameAt(45 * kT));  // not written
    EXPECT_EQ(fs.misalignedReads, 0);
}

TEST_F(Playback, EachFrameOnceNullFramesNothingAndRepositioningFlagsADiscontinuity)
{
    ASSERT_EQ(Prepare(true, false), kS_OK);
    Video(0, 0);
    Video(1, kT);
    Video(4, 4 * kT);  // frames 2 and 3 become null frames
    ASSERT_TRUE(FrameAt(kT));
    // The same frame again without a repositioning: nothing.
    EXPECT_FALSE(recorder.FillVideo(cursor, 0, out.data(), 400000));
    EXPECT_FALSE(FrameAt(2 * kT));
    EXPECT_FALSE(FrameAt(3 * kT));
    const auto four = FrameAt(4 * kT);
    ASSERT_TRUE(four);
    EXPECT_EQ(Out(*four), Frame(4, kFrameBytes));
    // Played on: the next frame comes without the discontinuity.
    cursor.Reposition(0, 0, kNormalRate);
    ASSERT_TRUE(recorder.FillVideo(cursor, 0, out.data(), 400000));
    const auto next = recorder.FillVideo(cursor, kT, out.data(), 400000);
    ASSERT_TRUE(next);
    EXPECT_FALSE(next->discontinuity);
    EXPECT_EQ(Out(*next), Frame(1, kFrameBytes));
    // A buffer too small for the frame.
    cursor.Reposition(0, 0, kNormalRate);
    EXPECT_FALSE(recorder.FillVideo(cursor, 0, out.data(), kFrameBytes - 1));
}

TEST_F(Playback, ASeekBeyondTheWrittenFramesWaitsForThem)
{
    ASSERT_EQ(Prepare(true, false), kS_OK);
    Video(0, 0);
    cursor.Reposition(0, 3 * kT, kNormalRate);
    EXPECT_FALSE(recorder.FillVideo(cursor, 0, out.data(), 400000));
    for (uint32_t i = 1; i < 5; ++i)
        Video(i, i * kT);
    cursor.Reposition(0, 3 * kT, kNormalRate);
    const auto s = recorder.FillVideo(cursor, 0, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(3, kFrameBytes));
}

// A live source's sample reaches the file a little after its stream time.
TEST_F(Playback, AtTheLivePointTheNewestWrittenFrameAndChunkStandInForThoseOnTheirWay)
{
    ASSERT_EQ(Prepare(true, true), kS_OK);
    const int64_t chunk = kSecond / 40;
    for (uint32_t i = 0; i < 5; ++i)
        Video(i, i * kT);
    for (uint32_t i = 0; i < 6; ++i)
        Audio(i, i * chunk);
    cursor.Reposition(0, 0, kNormalRate);
    auto s = recorder.FillVideo(cursor, 7 * kT, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(4, kFrameBytes));
    EXPECT_FALSE(recorder.FillVideo(cursor, 8 * kT, out.data(), 400000)) << "frame 4 once";
    for (uint32_t i = 5; i < 8; ++i)
        Video(i, i * kT);
    s = recorder.FillVideo(cursor, 8 * kT, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(7, kFrameBytes));

    s = recorder.FillAudio(cursor, 8 * chunk, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(5, kAudioBytes));
    EXPECT_FALSE(recorder.FillAudio(cursor, 8 * chunk, out.data(), 400000));
    Audio(6, 6 * chunk);
    s = recorder.FillAudio(cursor, 8 * chunk, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(6, kAudioBytes));
}

// The graph starts its run a little after Run; a Play before that counts from the start.
TEST_F(Playback, PlayBeforeTheRunStartsPlaysFromItsStart)
{
    ASSERT_EQ(Prepare(true, false), kS_OK);
    for (uint32_t i = 0; i < 10; ++i)
        Video(i, i * kT);
    cursor.Reposition(-2 * kSecond, 0, kNormalRate);
    EXPECT_FALSE(recorder.FillVideo(cursor, -kSecond, out.data(), 400000));
    const auto s = recorder.FillVideo(cursor, kT / 2, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(0, kFrameBytes));
}

TEST_F(Playback, FramesCountFromTheFirstFrameAndTwiceTheRateSkipsEveryOther)
{
    ASSERT_EQ(Prepare(true, false), kS_OK);
    const int64_t first = kSecond;  // the leading delay is not written
    for (uint32_t i = 0; i < 10; ++i)
        Video(i, first + i * kT);
    EXPECT_FALSE(FrameAt(first - 1));
    const auto at = FrameAt(first + 3 * kT);
    ASSERT_TRUE(at);
    EXPECT_EQ(Out(*at), Frame(3, kFrameBytes));
    cursor.Reposition(100 * kSecond, first, 200);
    ASSERT_TRUE(recorder.FillVideo(cursor, 100 * kSecond, out.data(), 400000));
    const auto second = recorder.FillVideo(cursor, 100 * kSecond + kT, out.data(), 400000);
    ASSERT_TRUE(second);
    EXPECT_EQ(Out(*second), Frame(2, kFrameBytes));
}

TEST_F(Playback, AudioStartsInsideAChunkAndRunsOnWithTimeStamps)
{
    ASSERT_EQ(Prepare(true, true), kS_OK);
    const int64_t chunk = kSecond / 40;
    for (uint32_t i = 0; i < 8; ++i)
        Audio(i, i * chunk);
    Video(0, 0);
    // 4 chunks and 1 ms in: entry 4 from its 48th block on.
    const int64_t now = 50 * kSecond;
    cursor.Reposition(now, 4 * chunk + kSecond / 1000, kNormalRate);
    auto s = recorder.FillAudio(cursor, now, out.data(), 400000);
    ASSERT_TRUE(s);
    const std::vector<uint8_t> four = Frame(4, kAudioBytes);
    EXPECT_EQ(Out(*s), std::vector<uint8_t>(four.begin() + 192, four.end()));
    EXPECT_TRUE(s->discontinuity);
    ASSERT_TRUE(s->hasTime);
    EXPECT_EQ(s->start, now);
    EXPECT_EQ(s->stop, now + (kAudioBytes - 192) * kSecond / 192000);
    const int64_t previousStop = s->stop;
    // The following chunks whole, each starting where the last stopped.
    for (uint32_t n = 5; n < 8; ++n) {
        s = recorder.FillAudio(cursor, now, out.data(), 400000);
        ASSERT_TRUE(s) << n;
        EXPECT_EQ(Out(*s), Frame(n, kAudioBytes));
        EXPECT_FALSE(s->discontinuity);
        EXPECT_EQ(s->start, previousStop + (n - 5) * chunk);
    }
    // Past the written chunks nothing, until the next one is written.
    EXPECT_FALSE(recorder.FillAudio(cursor, now, out.data(), 400000));
    Audio(8, 8 * chunk);
    s = recorder.FillAudio(cursor, now, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(8, kAudioBytes));
}

TEST_F(Playback, AudioOnlyAtNormalRateAndNotBeforeItsFirstBlock)
{
    ASSERT_EQ(Prepare(false, true), kS_OK);
    cursor.Reposition(0, 0, kNormalRate);
    EXPECT_FALSE(recorder.FillAudio(cursor, 0, out.data(), 400000));  // nothing written
    Audio(0, kSecond);
    Audio(1, kSecond + kSecond / 40);
    cursor.Reposition(0, kSecond / 2, kNormalRate);
    EXPECT_FALSE(recorder.FillAudio(cursor, 0, out.data(), 400000));
    cursor.Reposition(0, kSecond, 200);
    EXPECT_FALSE(recorder.FillAudio(cursor, 0, out.data(), 400000));
    cursor.Reposition(0, kSecond, kNormalRate);
    const auto s = recorder.FillAudio(cursor, 0, out.data(), 400000);
    ASSERT_TRUE(s);
    EXPECT_EQ(Out(*s), Frame(0, kAudioBytes));
    // A buffer too small skips the chunk: the index still moves on.
    EXPECT_FALSE(recorder.FillAudio(cursor, 0, out.data(), kAudioBytes - 1));
    EXPECT_FALSE(recorder.FillAudio(cursor, 0, out.data(), 400000));
}

TEST_F(Playback, NothingOnceTheRecordingStopped)
{
    ASSERT_EQ(Prepare(true, false), kS_OK);
    Video(0, 0);
    recorder.Stop();
    EXPECT_FALSE(FrameAt(0));
}

// An OpenDML writer listing into a playback source, fed frames of 1,500 bytes.
struct OpenDmlPlayback {
    ~OpenDmlPlayback() { writer.Close(); }

    // RIFFs end before `segmentBytes`.
    HResult Start(uint64_t segmentBytes)
    {
        source.Open(512, true, false);
        layout.sectorSize = 512;
        layout.inputs.video = MakeVideo(32, 16);
        layout.run = {kT, 512, 1024, 0, 0};
        layout.segmentBytes = segmentBytes;
        layout.playbackIndex = source.Indexes();
        return writer.Create(fs, "o.avi", CreateMode::CreateAlways, layout);
    }
    HResult Write(uint32_t n)
    {
        const std::vector<uint8_t> f = Frame(n, kBytes);
        RecordPtr record = MakeSampleRecord(f.data(), kBytes, true, test::Sector512Buffers());
        std::lock_guard<std::mutex> lock(source.FileLock());
        return writer.Write(StreamKind::Video, {record});
    }
    ChunkReadResult Read(uint64_t n) { return source.ReadVideo(n, out.data(), kBytes).result; }
    HResult Finish() { return writer.Finish(layout.inputs, layout.run, 0, 0); }
    // After Finish, which writes the headers of the later RIFFs: the number of the first
    // frame after the first "AVIX" in the file.
    uint64_t FirstFrameOfSecondRiff()
    {
        const std::vector<uint8_t>& b = fs.Bytes("o.avi");
        const char avix[] = "AVIX";
        const uint64_t at = static_cast<uint64_t>(std::search(b.begin(), b.end(), avix, avix + 4) - b.begin());
        uint64_t n = 0;
        while (source.Indexes()->video.Entry(n) && source.Indexes()->video.Entry(n)->offset < at)
            ++n;
        return n;
    }

    static constexpr uint32_t kBytes = 1500;
    MemoryFileSystem fs;
    TimeShiftSource source;
    Avi2Layout layout;
    Avi2Writer writer;
    std::vector<uint8_t> out = std::vector<uint8_t>(kBytes);
};

TEST(PlaybackOpenDml, FramesAcrossRiffSegmentsAreThoseWritten)
{
    OpenDmlPlayback p;
    ASSERT_EQ(p.Start(100000), kS_OK);
    for (uint32_t i = 0; i < 120; ++i)
        ASSERT_EQ(p.Write(i), kS_OK);
    for (uint32_t n = 0; n < 120; ++n) {
        ASSERT_EQ(p.Read(n), ChunkReadResult::Read) << n;
        EXPECT_EQ(p.out, Frame(n, p.kBytes)) << n;
    }
    EXPECT_EQ(p.Read(120), ChunkReadResult::NotWritten);
    // Several RIFFs were written: 120 padded chunks of 2,048 bytes in RIFFs of 100,000.
    EXPECT_GT(p.fs.Bytes("o.avi").size(), 2u * 100000);
    ASSERT_EQ(p.Finish(), kS_OK);
    EXPECT_GT(p.FirstFrameOfSecondRiff(), 0u);
    EXPECT_LT(p.FirstFrameOfSecondRiff(), 120u);
}

TEST(PlaybackOpenDml, AFailedWriteListsNothingAndAShortReadGivesNothing)
{
    OpenDmlPlayback p;
    ASSERT_EQ(p.Start(1ull << 30), kS_OK);
    ASSERT_EQ(p.Write(0), kS_OK);
    p.fs.FailWrite(static_cast<int>(p.fs.File("o.avi").writes.size()) + 1, HResultFromWin32(112));
    EXPECT_TRUE(Failed(p.Write(1)));
    EXPECT_EQ(p.Read(0), ChunkReadResult::Read);
    EXPECT_EQ(p.Read(1), ChunkReadResult::NotWritten);

    // An entry beyond the end of its file is never filled from whatever the buffer held.
    CommonIndexEntry beyond = *p.source.Indexes()->video.Entry(0);
    beyond.offset += 1 << 20;
    {
        std::lock_guard<std::mutex> lock(p.source.FileLock());
        p.source.Indexes()->video.Append(beyond);
    }
    p.out.assign(p.kBytes, 0xEE);
    EXPECT_EQ(p.Read(1), ChunkReadResult::ReadFailed);
    EXPECT_EQ(p.out, std::vector<uint8_t>(p.kBytes, 0xEE));
}

// The write that would begin the second RIFF fails: the frames before it still read back
// from the first, and nothing is listed past them.
TEST(PlaybackOpenDml, AFailedWriteIntoANewRiffListsNothing)
{
    uint64_t first = 0;
    {
        OpenDmlPlayback clean;
        ASSERT_EQ(clean.Start(100000), kS_OK);
        for (uint32_t i = 0; i < 120; ++i)
            ASSERT_EQ(clean.Write(i), kS_OK);
        ASSERT_EQ(clean.Finish(), kS_OK);
        first = clean.FirstFrameOfSecondRiff();
    }
    ASSERT_GT(first, 0u);
    ASSERT_LT(first, 120u);
    OpenDmlPlayback p;
    ASSERT_EQ(p.Start(100000), kS_OK);
    for (uint32_t i = 0; i < first; ++i)
        ASSERT_EQ(p.Write(i), kS_OK);
    p.fs.FailWrite(static_cast<int>(p.fs.File("o.avi").writes.size()) + 1, HResultFromWin32(112));
    EXPECT_TRUE(Failed(p.Write(static_cast<uint32_t>(first))));
    EXPECT_EQ(p.source.Indexes()->video.Entries(), first);
    for (uint64_t n = 0; n < first; ++n) {
        ASSERT_EQ(p.Read(n), ChunkReadResult::Read) << n;
        EXPECT_EQ(p.out, Frame(static_cast<uint32_t>(n), p.kBytes)) << n;
    }
}

TEST(PlaybackRace, ReadsWhileTheWriterThreadWritesReturnOnlyWrittenFrames)
{
    MemoryFileSystem fs;
    EventLog events;
    MuxRunSetup setup;
    setup.fileName = "rec";
    setup.inputs.video = MakeVideo(32, 16, test::kYuy2, kT);
    MuxRecorder recorder(fs, events, WriterThreading::OwnThread);
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);

    constexpr uint32_t kFrames = 400, kSize = 5000;
    std::atomic<bool> done{false};
    std::atomic<uint32_t> reads{0}, wrong{0};
    std::thread reader([&] {
        TimeShiftCursor cursor;
        std::vector<uint8_t> out(kSize);
        uint32_t n = 0;
        while (!done) {
            cursor.Reposition(0, n * kT, kNormalRate);
            const auto s = recorder.FillVideo(cursor, 0, out.data(), kSize);
            if (!s)
                continue;  // not written yet
            ++reads;
            if (s->length != kSize || out != Frame(n, kSize))
                ++wrong;
            n = (n + 1) % kFrames;
        }
    });
    for (uint32_t i = 0; i < kFrames; ++i) {
        ASSERT_EQ(recorder.ReceiveVideo(TimedSample(Frame(i, kSize), i * kT, true)), kS_OK);
    }
    while (reads < kFrames)
        std::this_thread::yield();
    done = true;
    reader.join();
    recorder.Stop();
    EXPECT_EQ(wrong, 0u);
    EXPECT_GE(reads, kFrames);
}

TEST(PlaybackState, PositionsKeptByStopPauseAndPlay)
{
    const PlaybackAnchor anchor{10 * kSecond, 2 * kSecond, 100};
    EXPECT_EQ(HeldPosition(PlaybackState::Playing, anchor, 13 * kSecond), 5 * kSecond);
    EXPECT_EQ(HeldPosition(PlaybackState::Paused, anchor, 13 * kSecond), 2 * kSecond);
    EXPECT_EQ(HeldPosition(PlaybackState::Stopped, anchor, 13 * kSecond), 2 * kSecond);
    // Pause from stopped stands at the live point.
    EXPECT_EQ(PausePosition(PlaybackState::Stopped, anchor, 13 * kSecond), 13 * kSecond);
    EXPECT_EQ(PausePosition(PlaybackState::Paused, anchor, 13 * kSecond), 2 * kSecond);
    EXPECT_EQ(PausePosition(PlaybackState::Playing, anchor, 13 * kSecond), 5 * kSecond);
}

}  // namespace
}  // namespace trelvox
