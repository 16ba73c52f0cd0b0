// Real files written through the POSIX file implementation, judged by ffprobe and ffmpeg.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "Avi2Writer.h"
#include "ExternalReaders.h"
#include "FileNaming.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "OpenDmlRecordings.h"
#include "PosixFileSystem.h"
#include "SparseFileSystem.h"

namespace trelvox {
namespace {

using test::DecodeErrors;
using test::EventLog;
using test::MakeAudio;
using test::MakeVideo;
using test::Probe;
using test::TimedSample;
using test::Yuy2Picture;

constexpr int64_t kT = 333667;
constexpr int kWidth = 320, kHeight = 240;

// The decoded pictures, as ffmpeg hands them out (no frames added or dropped).
std::string DecodedPictures(const std::string& file)
{
    return test::RunCommand("ffmpeg -nostdin -v error -i '" + file +
                            "' -map 0:v -vsync passthrough -f rawvideo -pix_fmt yuyv422 - 2>/dev/null")
        .output;
}

std::string DecodedAudio(const std::string& file)
{
    return test::RunCommand("ffmpeg -nostdin -v error -i '" + file + "' -map 0:a -f s16le - 2>/dev/null").output;
}

// The audio buffers `first` ... `first + count - 1` as Feed makes them.
std::vector<uint8_t> AudioBuffer(int i)
{
    std::vector<uint8_t> audio(6400);
    for (size_t k = 0; k < audio.size(); ++k)
        audio[k] = static_cast<uint8_t>(k + i);
    return audio;
}
std::string ExpectedAudio(int first, int count)
{
    std::string all;
    for (int i = first; i < first + count; ++i) {
        const std::vector<uint8_t> buffer = AudioBuffer(i);
        all.append(buffer.begin(), buffer.end());
    }
    return all;
}

class RealFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::current_path() / "avi_reader_out" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        setup.fileName = (dir / "take").string();
        setup.inputs.video = MakeVideo(kWidth, kHeight);
        setup.inputs.audio = MakeAudio();
    }
    std::string File(uint32_t n) { return SetFileName(setup.fileName, n); }
    // `frames` pictures 1/29.97 s apart with `gapAt` followed by two missing frames, and
    // 1600 stereo samples (a 30th of a second) of a ramp per picture.
    void Feed(MuxRecorder& recorder, int frames, int gapAt = -1)
    {
        int64_t t = 0;
        for (int i = 0; i < frames; ++i) {
            const std::vector<uint8_t> picture = Yuy2Picture(kWidth, kHeight, i);
            recorder.ReceiveVideo(TimedSample(picture, t));
            t += (i == gapAt ? 3 : 1) * kT;
            const std::vector<uint8_t> audio = AudioBuffer(i);
            recorder.ReceiveAudio(TimedSample(audio, i * 333333, false));
        }
    }

    std::filesystem::path dir;
    PosixFileSystem fs;
    EventLog events;
    MuxRunSetup setup;
};

TEST_F(RealFiles, VideoAndAudioAsTheReadersSeeThem)
{
    MuxRecorder recorder(fs, events);
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    Feed(recorder, 30, 10);
    recorder.Stop();
    ASSERT_TRUE(std::filesystem::exists(File(0)));
    EXPECT_FALSE(std::filesystem::exists(File(1)));

    auto p = Probe(File(0));
    EXPECT_EQ(p["0.codec_type"], "video");
    EXPECT_EQ(p["0.codec_name"], "rawvideo");
    EXPECT_EQ(p["0.codec_tag_string"], "YUY2");
    EXPECT_EQ(p["0.width"], "320");
    EXPECT_EQ(p["0.height"], "240");
    EXPECT_EQ(p["0.r_frame_rate"], "10000000/333667");
    EXPECT_EQ(p["0.nb_frames"], "32");       // the two null frames are counted in the header
    EXPECT_EQ(p["0.nb_read_frames"], "30");  // and carry no picture
    EXPECT_EQ(p["1.codec_name"], "pcm_s16le");
    EXPECT_EQ(p["1.sample_rate"], "48000");
    EXPECT_EQ(p["1.channels"], "2");
    EXPECT_EQ(p["1.bits_per_sample"], "16");
    EXPECT_EQ(p["1.nb_frames"], "48000");  // the header's length: 30 buffers of 1600 samples
    EXPECT_EQ(DecodeErrors(File(0)), "");
    EXPECT_EQ(DecodedAudio(File(0)), ExpectedAudio(0, 30));

    // The pictures come back as they went in, in order.
    const std::string pictures = DecodedPictures(File(0));
    const size_t size = kWidth * kHeight * 2;
    ASSERT_EQ(pictures.size(), 30 * size);
    for (int i : {0, 10, 11, 29}) {
        const std::vector<uint8_t> expected = Yuy2Picture(kWidth, kHeight, i);
        EXPECT_EQ(0, pictures.compare(i * size, size, std::string(expected.begin(), expected.end())))
            << "picture " << i;
    }
}

TEST_F(RealFiles, EveryFileOfASplitSetPlays)
{
    setup.settings.splitMode = SplitMode::FrameCount;
    setup.settings.splitCountVideo = 10;
    setup.settings.splitCountAudio = 10;
    MuxRecorder recorder(fs, events);
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    Feed(recorder, 25);
    recorder.Stop();
    EXPECT_FALSE(std::filesystem::exists(File(3)));
    const char* counts[] = {"10", "10", "5"};
    for (uint32_t n = 0; n < 3; ++n) {
        auto p = Probe(File(n));
        EXPECT_EQ(p["0.nb_read_frames"], counts[n]) << File(n);
        EXPECT_EQ(p["1.nb_frames"], std::to_string(1600 * std::stoi(counts[n]))) << File(n);
        EXPECT_EQ(DecodedAudio(File(n)), ExpectedAudio(10 * n, std::stoi(counts[n]))) << File(n);
        EXPECT_EQ(DecodeErrors(File(n)), "") << File(n);
    }
}

TEST_F(RealFiles, AbandonedRecordingStillPlaysWhatReachedTheDisk)
{
    {
        MuxRecorder recorder(fs, events);
        ASSERT_EQ(recorder.Prepare(setup), kS_OK);
        Feed(recorder, 20);
        // Dropped without Stop, as after a crash: no final header and no idx1.
    }
    auto p = Probe(File(0));
    EXPECT_EQ(p["0.codec_name"], "rawvideo");
    EXPECT_EQ(p["0.nb_read_frames"], "20");
    EXPECT_EQ(p["1.codec_name"], "pcm_s16le");
    EXPECT_EQ(DecodeErrors(File(0)), "");
    EXPECT_EQ(DecodedAudio(File(0)), ExpectedAudio(0, 20));
    EXPECT_EQ(DecodedPictures(File(0)).size(), 20u * kWidth * kHeight * 2);
}

TEST_F(RealFiles, OpenDmlFileFromTheRecorder)
{
    setup.settings.muxMode = MuxMode::OpenDml;
    MuxRecorder recorder(fs, events);
    ASSERT_EQ(recorder.Prepare(setup), kS_OK);
    Feed(recorder, 30, 10);
    recorder.Stop();
    const std::string file = setup.fileName + ".avi";
    auto p = Probe(file);
    EXPECT_EQ(p["0.codec_name"], "rawvideo");
    EXPECT_EQ(p["0.nb_frames"], "32");
    EXPECT_EQ(p["0.nb_read_frames"], "30");
    EXPECT_EQ(p["1.codec_name"], "pcm_s16le");
    EXPECT_EQ(DecodeErrors(file), "");
    EXPECT_EQ(DecodedAudio(file), ExpectedAudio(0, 30));
    EXPECT_EQ(DecodedPictures(file).size(), 30u * kWidth * kHeight * 2);
}

TEST_F(RealFiles, AbandonedOpenDmlRecordingStillPlays)
{
    setup.settings.muxMode = MuxMode::OpenDml;
    {
        MuxRecorder recorder(fs, events);
        ASSERT_EQ(recorder.Prepare(setup), kS_OK);
        Feed(recorder, 20);
    }
    const std::string file = setup.fileName + ".avi";
    auto p = Probe(file);
    EXPECT_EQ(p["0.nb_read_frames"], "20");
    EXPECT_EQ(DecodeErrors(file), "");
    EXPECT_EQ(DecodedAudio(file), ExpectedAudio(0, 20));
}

// Small RIFFs, so that the readers have to follow the AVIX parts and their indexes.
TEST_F(RealFiles, OpenDmlFileAcrossSeveralRiffs)
{
    Avi2Layout layout;
    layout.sectorSize = 512;
    layout.inputs = setup.inputs;
    layout.run = {kT, 512, kWidth * kHeight * 2, 6400, 0};
    layout.segmentBytes = 1 << 20;
    const std::string file = setup.fileName + ".avi";
    Avi2Writer writer;
    ASSERT_EQ(writer.Create(fs, file, CreateMode::CreateAlways, layout), kS_OK);
    for (int i = 0; i < 20; ++i) {
        const std::vector<uint8_t> picture = Yuy2Picture(kWidth, kHeight, i);
        const std::vector<uint8_t> audio = AudioBuffer(i);
        SectorBufferPool& buffers = test::Sector512Buffers();
        const uint32_t size = static_cast<uint32_t>(picture.size());
        ASSERT_EQ(writer.Write(StreamKind::Video, {MakeSampleRecord(picture.data(), size, true, buffers)}), kS_OK);
        ASSERT_EQ(writer.Write(StreamKind::Audio, {MakeSampleRecord(audio.data(), 6400, false, buffers)}), kS_OK);
    }
    ASSERT_EQ(writer.Finish(layout.inputs, layout.run, 0, 0), kS_OK);
    writer.Close();
    EXPECT_GT(std::filesystem::file_size(file), 3u << 20);

    auto p = Probe(file);
    EXPECT_EQ(p["0.nb_read_frames"], "20");
    EXPECT_EQ(DecodeErrors(file), "");
    EXPECT_EQ(DecodedAudio(file), ExpectedAudio(0, 20));
    const std::string pictures = DecodedPictures(file);
    const size_t size = kWidth * kHeight * 2;
    ASSERT_EQ(pictures.size(), 20 * size);
    const std::vector<uint8_t> last = Yuy2Picture(kWidth, kHeight, 19);
    EXPECT_EQ(0, pictures.compare(19 * size, size, std::string(last.begin(), last.end())));
}

struct Packet {
    int64_t pts;
    uint32_t size;
    uint64_t pos;
};

// The packets of one stream that ffprobe reads from `interval` on.
std::vector<Packet> PacketsFrom(const std::string& file, const std::string& stream, const std::string& interval)
{
    const std::string out = test::RunCommand("ffprobe -v error -select_streams " + stream +
                                             " -show_entries packet=pts,size,pos -of csv=p=0 -read_intervals '" +
                                             interval + "' '" + file + "'")
                                .output;
    std::vector<Packet> packets;
    Packet p{};
    for (const char* at = out.c_str(); std::sscanf(at, "%" SCNd64 ",%u,%" SCNu64, &p.pts, &p.size, &p.pos) == 3;) {
        packets.push_back(p);
        at = std::strchr(at, '\n');
        if (at == nullptr)
            break;
        ++at;
    }
    return packets;
}

// The 5.5 GiB recording of zero-filled pictures, as a sparse file: the readers follow
// the 64-bit offsets of its indexes through six RIFFs, to the last pictures and sound.
TEST_F(RealFiles, OpenDmlFileBeyondFourGib)
{
    using P = test::BeyondFourGib;
    test::SparseFileSystem sparse;
    ASSERT_EQ(test::WriteBeyondFourGib(sparse, "big.avi"), kS_OK);
    const std::string file = (dir / "big.avi").string();
    ASSERT_TRUE(sparse.File("big.avi").SaveSparse(file));
    auto p = Probe(file);
    EXPECT_EQ(p["0.width"], std::to_string(P::kWidth));
    EXPECT_EQ(p["0.nb_frames"], std::to_string(P::kPictures + P::kGapFrames));
    EXPECT_EQ(p["0.nb_read_frames"], std::to_string(P::kPictures));
    EXPECT_EQ(p["1.nb_frames"], std::to_string(P::kPictures * P::kAudioPerPicture * P::kAudioBytes / 4));
    // Seeking near the end lands on the key picture 345 (frame 4,445), found through the
    // index flags; the last picture and the last sound lie past 5.5 GB.
    const std::vector<Packet> pictures = PacketsFrom(file, "v", "148.3%");
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(pictures.front().pts, 4445);
    EXPECT_EQ(pictures.back().pts, 4451);
    EXPECT_EQ(pictures.back().size, P::kPictureBytes);
    EXPECT_GT(pictures.back().pos, 5500000000u);
    const std::vector<Packet> sound = PacketsFrom(file, "a", "148.5%");
    ASSERT_FALSE(sound.empty());
    EXPECT_EQ(sound.back().pts, (P::kPictures * P::kAudioPerPicture - 1) * 40);
    EXPECT_EQ(sound.back().size, P::kAudioBytes);
    EXPECT_GT(sound.back().pos, 5500000000u);
    EXPECT_EQ(DecodeErrors(file, "-ss 148.3"), "");
    std::filesystem::remove(file);
}

// The recording ended by the full super index is finished at stop and reads up to
// where it ended: the three pictures and the null frames the indexes hold.
TEST_F(RealFiles, RecordingEndedByTheFullSuperIndexReads)
{
    test::SparseFileSystem sparse;
    test::RecordPastTheSuperIndex(sparse, events, "full");
    const std::string file = (dir / "full.avi").string();
    ASSERT_TRUE(sparse.File("full.avi").SaveSparse(file));
    auto p = Probe(file);
    EXPECT_EQ(p["0.nb_frames"], std::to_string(3 + 2013 * 4028));
    EXPECT_EQ(p["0.nb_read_frames"], "3");
    EXPECT_EQ(DecodeErrors(file, "", "-frames:v 3"), "");
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace trelvox
