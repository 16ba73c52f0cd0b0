// AVI 1.0 sets split by size, recorded through the core as the card delivers its streams
// (20 ms audio buffers beside the frames). The card-like sets go to disk with a
// description for check_set_sync.py, where ffprobe and ffmpeg judge every file alone;
// the sets of a stalled, late or missing stream are checked here with the AVI walker.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "FileNaming.h"
#include "MemoryFileSystem.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "JpegEncoder.h"

namespace trelvox {
namespace {

using test::EventLog;

constexpr int64_t kT = 333667;
constexpr int64_t kUnitsPerSecond = 10000000;
constexpr uint32_t kBlockAlign = 4;
constexpr uint32_t kAudioBytesPerSec = 48000 * kBlockAlign;
constexpr uint32_t kCardAudioBuffer = 48000 / 50 * kBlockAlign;  // 20 ms
constexpr int64_t kCardAudioDuration = int64_t{kCardAudioBuffer} * kUnitsPerSecond / kAudioBytesPerSec;
constexpr uint32_t kSplitMegabytes = 10;
constexpr uint32_t kMjpg = 0x47504A4D;  // "MJPG"

using Pictures = std::function<std::vector<uint8_t>(int frame)>;

// When each stream reaches the multiplexer.
struct Arrivals {
    int frames = 0;                    // video frames, one every T from 0
    int stallFrom = -1, stallTo = -1;  // frames in [from, to) never come
    bool audio = true;
    int64_t audioFrom = 0;    // start of the first audio buffer
    int64_t audioLead = 0;    // audio comes this much before its time
    int64_t audioUntil = -1;  // audio ends here; -1: with the video
};

struct SetRecording {
    MemoryFileSystem fs;
    std::vector<std::string> names;
    MuxStatistics statistics;
    uint32_t limit = MaxFileSizeFromMegabytes(kSplitMegabytes);
};

MuxRunSetup SetSetup(const std::optional<VideoFormat>& video, bool audio)
{
    MuxRunSetup setup;
    setup.fileName = "rec";
    setup.settings.maxFileSize = MaxFileSizeFromMegabytes(kSplitMegabytes);
    setup.inputs.video = video;
    if (audio)
        setup.inputs.audio = test::MakeAudio();
    return setup;
}

// Feeds both streams in the order they arrive, then stops.
void Record(const MuxRunSetup& setup, const Arrivals& a, const Pictures& picture, SetRecording& out)
{
    EventLog events;
    MuxRecorder recorder(out.fs, events, WriterThreading::Inline);
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    const std::vector<uint8_t> sound(kCardAudioBuffer, 0x40);
    const int64_t audioEnd = a.audioUntil >= 0 ? a.audioUntil : a.frames * kT;
    int frame = 0;
    int64_t audioAt = a.audioFrom;
    for (;;) {
        const bool audioLeft = a.audio && audioAt < audioEnd;
        const bool videoLeft = setup.inputs.video && frame < a.frames;
        if (!audioLeft && !videoLeft)
            break;
        if (audioLeft && (!videoLeft || audioAt - a.audioLead < frame * kT)) {
            ASSERT_EQ(recorder.ReceiveAudio(test::TimedSample(sound, audioAt, false)), kS_OK);
            audioAt += kCardAudioDuration;
            continue;
        }
        if (frame < a.stallFrom || frame >= a.stallTo) {
            ASSERT_EQ(recorder.ReceiveVideo(test::TimedSample(picture(frame), frame * kT, true)), kS_OK);
        }
        ++frame;
    }
    recorder.EndOfStream(StreamKind::Video);
    recorder.EndOfStream(StreamKind::Audio);
    out.statistics = recorder.Statistics();
    recorder.Stop();
    EXPECT_TRUE(events.Events().size() == 1 && events.Events()[0].code == kEcComplete) << "only EC_COMPLETE";
    for (uint32_t i = 0; out.fs.Exists(SetFileName("rec", i)); ++i)
        out.names.push_back(SetFileName("rec", i));
}

// What one file holds, read with the walker.
struct FileCounts {
    uint64_t videoChunks = 0;  // null frames included
    uint64_t audioBytes = 0;
};

FileCounts Count(const std::vector<uint8_t>& bytes)
{
    FileCounts counts;
    for (const test::Chunk& c : test::AviView(bytes).moviChunks) {
        if (c.id == "00dc" || c.id == "00db")
            ++counts.videoChunks;
        if (c.id == "01wb" || c.id == "00wb")
            counts.audioBytes += c.size;
    }
    return counts;
}

// Every file below the limit and not empty, nothing lost across the files.
void ExpectSplitBySize(const SetRecording& r, size_t minFiles)
{
    ASSERT_GE(r.names.size(), minFiles);
    FileCounts total;
    for (const std::string& name : r.names) {
        const std::vector<uint8_t>& bytes = r.fs.Bytes(name);
        EXPECT_LT(bytes.size(), r.limit) << name;
        const FileCounts counts = Count(bytes);
        EXPECT_GT(counts.videoChunks + counts.audioBytes, 0u) << name;
        total.videoChunks += counts.videoChunks;
        total.audioBytes += counts.audioBytes;
    }
    EXPECT_EQ(total.videoChunks, r.statistics.videoFrames);
    EXPECT_EQ(total.audioBytes, r.statistics.audioBlocks * kBlockAlign);
}

// Audio minus video written before each file that follows one holding audio (100 ns).
std::vector<int64_t> StartGapsAfterAudioBegan(const SetRecording& r, int64_t audioStart)
{
    std::vector<int64_t> gaps;
    FileCounts before;
    for (const std::string& name : r.names) {
        if (before.audioBytes > 0) {
            const int64_t audio =
                audioStart + static_cast<int64_t>(before.audioBytes) * kUnitsPerSecond / kAudioBytesPerSec;
            gaps.push_back(audio - static_cast<int64_t>(before.videoChunks) * kT);
        }
        const FileCounts counts = Count(r.fs.Bytes(name));
        before.videoChunks += counts.videoChunks;
        before.audioBytes += counts.audioBytes;
    }
    return gaps;
}

void ExpectInSync(const std::vector<int64_t>& gaps)
{
    ASSERT_FALSE(gaps.empty());
    for (size_t i = 0; i < gaps.size(); ++i) {
        EXPECT_LE(std::llabs(gaps[i]), kCardAudioDuration) << "file start " << i << ": audio - video = " << gaps[i];
    }
}

// The set and its description, for the readers of check_set_sync.py.
void SaveForReaders(const SetRecording& r, const std::string& name)
{
    const std::filesystem::path dir = std::filesystem::current_path() / "set_sync";
    std::filesystem::create_directories(dir);
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().filename().string().rfind(name, 0) == 0)
            std::filesystem::remove(entry.path());
    }
    for (size_t i = 0; i < r.names.size(); ++i) {
        const std::vector<uint8_t>& bytes = r.fs.Bytes(r.names[i]);
        std::ofstream((dir / SetFileName(name, static_cast<uint32_t>(i))).string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::ofstream(dir / (name + ".json"))
        << "{\"base\": \"" << name << "\", \"files\": " << r.names.size()
        << ", \"videoFrames\": " << r.statistics.videoFrames
        << ", \"audioBytes\": " << r.statistics.audioBlocks * kBlockAlign
        << ", \"audioBufferBytes\": " << kCardAudioBuffer << ", \"maxFileBytes\": " << r.limit << "}\n";
}

Pictures Yuy2Pictures(int width, int height)
{
    return [=](int frame) { return test::Yuy2Picture(width, height, frame); };
}

// Small frames of varying size: a few pictures through the stand-in JPEG encoder, in turn.
Pictures JpegPictures(int width, int height)
{
    std::vector<std::vector<uint8_t>> jpegs;
    for (int i = 0; i < 8; ++i) {
        const std::vector<uint8_t> yuy2 = test::Yuy2Picture(width, height, i * 37);
        std::vector<uint8_t> jpeg;
        standin::EncodeJpeg({yuy2.data(), width, height, width * 2}, 50 + 5 * i, jpeg);
        jpegs.push_back(std::move(jpeg));
    }
    return [jpegs](int frame) { return jpegs[static_cast<size_t>(frame) % jpegs.size()]; };
}

struct CardLikeCase {
    std::string name;
    int width, height;
    uint32_t compression;
    int frames;
    int64_t audioLead;
};

class CardLikeSet : public ::testing::TestWithParam<CardLikeCase> {};

// Judged by check_set_sync.py; here only what the walker can tell.
TEST_P(CardLikeSet, IsWrittenForTheReaders)
{
    const CardLikeCase& c = GetParam();
    const Pictures pictures =
        c.compression == kMjpg ? JpegPictures(c.width, c.height) : Yuy2Pictures(c.width, c.height);
    SetRecording r;
    Arrivals a;
    a.frames = c.frames;
    a.audioLead = c.audioLead;
    Record(SetSetup(test::MakeVideo(c.width, c.height, c.compression), true), a, pictures, r);
    ExpectSplitBySize(r, 5);
    SaveForReaders(r, c.name);
}

INSTANTIATE_TEST_SUITE_P(Sets, CardLikeSet,
                         ::testing::Values(CardLikeCase{"yuy2_1080i", 1920, 1080, test::kYuy2, 16, 0},
                                           CardLikeCase{"yuy2_480i", 720, 480, test::kYuy2, 80, 0},
                                           // As when the writer falls behind on video: audio already queued well ahead.
                                           CardLikeCase{"audio_ahead_480i", 720, 480, test::kYuy2, 80, 5 * kT},
                                           CardLikeCase{"mjpeg_480i", 720, 480, kMjpg, 2400, 0}),
                         [](const ::testing::TestParamInfo<CardLikeCase>& info) { return info.param.name; });

const VideoFormat k480i = test::MakeVideo(720, 480);

TEST(StalledStreamSet, AudioConnectedButSilentSplitsTheVideoBySize)
{
    SetRecording r;
    Arrivals a;
    a.frames = 60;
    a.audio = false;
    Record(SetSetup(k480i, true), a, Yuy2Pictures(720, 480), r);
    ExpectSplitBySize(r, 4);
}

TEST(StalledStreamSet, AudioAloneSplitsBySize)
{
    SetRecording r;
    Arrivals a;
    a.audioUntil = 110 * kUnitsPerSecond;  // about 21 MB
    Record(SetSetup(std::nullopt, true), a, nullptr, r);
    ExpectSplitBySize(r, 3);
}

TEST(StalledStreamSet, LateAudioJoinsInSyncFromTheFileAfterItsFirst)
{
    SetRecording r;
    Arrivals a;
    a.frames = 100;
    a.audioFrom = 45 * kT;  // when the video is in its fourth file
    Record(SetSetup(k480i, true), a, Yuy2Pictures(720, 480), r);
    ExpectSplitBySize(r, 7);
    EXPECT_EQ(Count(r.fs.Bytes(r.names[0])).audioBytes, 0u);
    ExpectInSync(StartGapsAfterAudioBegan(r, a.audioFrom));
}

TEST(StalledStreamSet, VideoThatStallsForASecondKeepsTheFilesInSync)
{
    SetRecording r;
    Arrivals a;
    a.frames = 100;
    a.stallFrom = 20;
    a.stallTo = 50;
    Record(SetSetup(k480i, true), a, Yuy2Pictures(720, 480), r);
    ExpectSplitBySize(r, 5);
    ExpectInSync(StartGapsAfterAudioBegan(r, 0));
}

TEST(StalledStreamSet, AudioThatStopsEarlyLeavesTheVideoSplitBySize)
{
    SetRecording r;
    Arrivals a;
    a.frames = 90;
    a.audioUntil = 20 * kT;
    Record(SetSetup(k480i, true), a, Yuy2Pictures(720, 480), r);
    ExpectSplitBySize(r, 6);
}

}  // namespace
}  // namespace trelvox
