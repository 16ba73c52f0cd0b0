// Byte layout of AVI 1.0 headers, movi chunks and idx1.
#include <gtest/gtest.h>

#include "AlignedBuffer.h"
#include "AviHeader.h"
#include "ByteOrder.h"
#include "ChunkIds.h"
#include "Idx1Index.h"
#include "MoviBatch.h"
#include "MuxTestSupport.h"
#include "Padding.h"
#include "RateCorrection.h"

namespace trelvox {
namespace {

using test::kYuy2;
using test::MakeAudio;
using test::MakeVideo;

std::string IdAt(const std::vector<uint8_t>& b, size_t at)
{
    return std::string(reinterpret_cast<const char*>(&b[at]), 4);
}

std::vector<uint8_t> Header(const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& file)
{
    std::vector<uint8_t> out(file.headerSize, 0);
    BuildAviHeader(out.data(), inputs, run, file);
    return out;
}

TEST(PaddingRule, ExtendsToTheSectorWithAtLeastEightBytes)
{
    EXPECT_EQ(JunkBytesAfter(512, 512), 0u);
    EXPECT_EQ(JunkBytesAfter(326, 512), 186u);
    EXPECT_EQ(JunkBytesAfter(504, 512), 8u);
    EXPECT_EQ(JunkBytesAfter(505, 512), 7u + 512u);  // fewer than 8 left: one more sector
    EXPECT_EQ(JunkBytesAfter(511, 512), 1u + 512u);
    EXPECT_EQ(JunkBytesAfter(1, 8), 7u + 8u);  // with S = 8 every filler takes an extra sector
    EXPECT_EQ(JunkBytesAfter(7, 8), 1u + 8u);
    EXPECT_EQ(PaddedLength(520, 512), 1024u);
}

TEST(AviHeaderLayout, VideoAndPcmAudioFillOneSectorWithJunkAt314)
{
    MuxInputs inputs{MakeVideo(320, 240), MakeAudio()};
    ASSERT_EQ(AviHeaderSize(inputs, 512), 512u);

    AviRunFigures run{333667, 512, 153600, 19200, 0};
    AviFileFigures file{512, 1024 * 10, 1024, 7, 48000, 3, 9, false};
    const std::vector<uint8_t> h = Header(inputs, run, file);
    EXPECT_EQ(IdAt(h, 0), "RIFF");
    EXPECT_EQ(GetU32(&h[4]), 512u + 10240u + 1024u - 8u);
    EXPECT_EQ(IdAt(h, 8), "AVI ");
    EXPECT_EQ(IdAt(h, 12), "LIST");
    EXPECT_EQ(GetU32(&h[16]), 512u - 32u);
    EXPECT_EQ(IdAt(h, 20), "hdrl");
    EXPECT_EQ(IdAt(h, 24), "avih");
    EXPECT_EQ(GetU32(&h[28]), 56u);
    // avih
    EXPECT_EQ(GetU32(&h[32]), 33366u);  // dwMicroSecPerFrame
    EXPECT_EQ(GetU32(&h[36]), 153600ull * 10000000 / 333667 + 192000);
    EXPECT_EQ(GetU32(&h[40]), 512u);  // padding granularity
    EXPECT_EQ(GetU32(&h[44]), 0x10u);
    EXPECT_EQ(GetU32(&h[48]), 7u);  // total frames
    EXPECT_EQ(GetU32(&h[52]), 0u);
    EXPECT_EQ(GetU32(&h[56]), 2u);       // streams
    EXPECT_EQ(GetU32(&h[60]), 153608u);  // suggested buffer
    EXPECT_EQ(GetU32(&h[64]), 320u);
    EXPECT_EQ(GetU32(&h[68]), 240u);
    // video strl at 88
    EXPECT_EQ(IdAt(h, 88), "LIST");
    EXPECT_EQ(GetU32(&h[92]), 76u + 40u);
    EXPECT_EQ(IdAt(h, 96), "strl");
    EXPECT_EQ(IdAt(h, 100), "strh");
    EXPECT_EQ(IdAt(h, 108), "vids");
    EXPECT_EQ(IdAt(h, 112), "YUY2");
    EXPECT_EQ(GetU32(&h[128]), 333667u);    // dwScale
    EXPECT_EQ(GetU32(&h[132]), 10000000u);  // dwRate
    EXPECT_EQ(GetU32(&h[136]), 3u);         // dwStart
    EXPECT_EQ(GetU32(&h[140]), 7u);         // dwLength
    EXPECT_EQ(GetU32(&h[144]), 153608u);
    EXPECT_EQ(GetU16(&h[160]), 320u);  // rcFrame right
    EXPECT_EQ(GetU16(&h[162]), 240u);
    EXPECT_EQ(IdAt(h, 164), "strf");
    EXPECT_EQ(GetU32(&h[168]), 40u);
    EXPECT_TRUE(
        std::equal(inputs.video->bitmapInfoHeader.begin(), inputs.video->bitmapInfoHeader.end(), h.begin() + 172));
    // audio strl at 212
    EXPECT_EQ(IdAt(h, 212), "LIST");
    EXPECT_EQ(GetU32(&h[216]), 76u + 18u);
    EXPECT_EQ(IdAt(h, 232), "auds");
    EXPECT_EQ(GetU32(&h[236]), 0u);       // fccHandler
    EXPECT_EQ(GetU32(&h[252]), 4u);       // dwScale = nBlockAlign
    EXPECT_EQ(GetU32(&h[256]), 192000u);  // dwRate
    EXPECT_EQ(GetU32(&h[260]), 9u);       // dwStart
    EXPECT_EQ(GetU32(&h[264]), 48000u);   // dwLength in blocks
    EXPECT_EQ(GetU32(&h[268]), 19208u);
    EXPECT_EQ(GetU32(&h[276]), 4u);  // dwSampleSize
    EXPECT_EQ(IdAt(h, 288), "strf");
    EXPECT_EQ(GetU32(&h[292]), 18u);
    EXPECT_TRUE(std::equal(inputs.audio->waveFormat.begin(), inputs.audio->waveFormat.end(), h.begin() + 296));
    // the filler and the movi list header
    EXPECT_EQ(IdAt(h, 314), "JUNK");
    EXPECT_EQ(GetU32(&h[318]), 178u);
    EXPECT_EQ(IdAt(h, 500), "LIST");
    EXPECT_EQ(GetU32(&h[504]), 10240u + 4u);
    EXPECT_EQ(IdAt(h, 508), "movi");
}

TEST(AviHeaderLayout, FewerThanEightBytesToTheSectorEndAddsASector)
{
    // 88 + 84 + 324 + 12 = 508: four bytes would remain, too few for a JUNK header.
    MuxInputs inputs{MakeVideo(64, 64, kYuy2, 400000, 324), std::nullopt};
    const uint32_t size = AviHeaderSize(inputs, 512);
    ASSERT_EQ(size, 1024u);
    const std::vector<uint8_t> h = Header(inputs, {400000, 512}, {size});
    EXPECT_EQ(IdAt(h, 496), "JUNK");
    EXPECT_EQ(GetU32(&h[500]), 1024u - 12u - 496u - 8u);
    EXPECT_EQ(IdAt(h, 1012), "LIST");
    EXPECT_EQ(IdAt(h, 1020), "movi");
}

TEST(AviHeaderLayout, ExactFitHasNoJunk)
{
    // 88 + 84 + 328 + 12 = 512.
    MuxInputs inputs{MakeVideo(64, 64, kYuy2, 400000, 328), std::nullopt};
    ASSERT_EQ(AviHeaderSize(inputs, 512), 512u);
    const std::vector<uint8_t> h = Header(inputs, {400000, 512}, {512});
    EXPECT_EQ(IdAt(h, 500), "LIST");
    EXPECT_NE(IdAt(h, 488), "JUNK");
}

TEST(AviHeaderLayout, OddAudioFormatIsPaddedOutsideItsStrlSize)
{
    MuxInputs inputs{std::nullopt, MakeAudio(44100, 1, 8, 3)};  // cbFormat 21
    const uint32_t size = AviHeaderSize(inputs, 512);
    EXPECT_EQ(size, 512u);  // 88 + 84 + 22 + 12 = 206
    std::vector<uint8_t> h(size, 0xEE);
    std::fill(h.begin(), h.end(), 0);
    BuildAviHeader(h.data(), inputs, {0, 512}, {size});
    EXPECT_EQ(GetU32(&h[92]), 76u + 21u);  // strl size counts the format only
    EXPECT_EQ(IdAt(h, 164), "strf");
    EXPECT_EQ(GetU32(&h[168]), 21u);
    EXPECT_EQ(h[172 + 21], 0u);            // the pad byte
    EXPECT_EQ(IdAt(h, 172 + 22), "JUNK");  // the next chunk after the pad byte
}

TEST(AviHeaderLayout, TopDownRgbAndAudioOnlyAndOverrides)
{
    MuxInputs topDown{MakeVideo(320, -240, 0), std::nullopt};
    AviRunFigures run{400000, 512, 1000, 0, 0};
    std::vector<uint8_t> h = Header(topDown, run, {AviHeaderSize(topDown, 512)});
    EXPECT_EQ(GetU32(&h[68]), 240u);                         // avih dwHeight positive
    EXPECT_EQ(static_cast<int16_t>(GetU16(&h[162])), -240);  // rcFrame bottom as signed
    EXPECT_EQ(IdAt(h, 112), "DIB ");                         // BI_RGB
    EXPECT_EQ(GetU32(&h[56]), 1u);

    run.fourccOverride = Fourcc("MJPG");
    h = Header(topDown, run, {AviHeaderSize(topDown, 512)});
    EXPECT_EQ(IdAt(h, 112), "MJPG");

    MuxInputs audioOnly{std::nullopt, MakeAudio()};
    h = Header(audioOnly, {0, 512, 0, 4096, 0}, {AviHeaderSize(audioOnly, 512)});
    EXPECT_EQ(GetU32(&h[32]), 0u);       // no frame time
    EXPECT_EQ(GetU32(&h[36]), 192000u);  // dwMaxBytesPerSec = nAvgBytesPerSec
    EXPECT_EQ(GetU32(&h[56]), 1u);
    EXPECT_EQ(GetU32(&h[64]), 0u);
    EXPECT_EQ(GetU32(&h[68]), 0u);
    EXPECT_EQ(IdAt(h, 108), "auds");
}

TEST(AviHeaderLayout, ProvisionalHeaderLeavesTheSizesOpen)
{
    MuxInputs inputs{MakeVideo(320, 240), MakeAudio()};
    AviFileFigures file{512};
    file.openEnded = true;
    const std::vector<uint8_t> h = Header(inputs, {333667, 512}, file);
    EXPECT_EQ(GetU32(&h[4]), 0u);
    EXPECT_EQ(GetU32(&h[504]), 0u);
    EXPECT_EQ(GetU32(&h[16]), 480u);
}

struct LaidOut {
    std::vector<uint8_t> bytes;
    BatchLayout layout;
};

LaidOut Lay(const std::vector<RecordPtr>& records, BatchStream stream, uint32_t moviStart)
{
    const BatchSize size = MeasureBatch(records, 512);
    AlignedBuffer buffer = AlignedBuffer::Allocate(static_cast<uint32_t>(size.bytes), 512, true);
    uint8_t* out = WritesInPlace(records) ? records[0]->buffer.data() : buffer.data();
    LaidOut result;
    result.layout = LayOutBatch(records, stream, moviStart, 512, true, out);
    result.bytes.assign(out, out + size.bytes);
    return result;
}

TEST(MoviChunks, OddSampleGetsPadByteAndJunkToTheNextSector)
{
    std::vector<uint8_t> data(511, 0xAB);
    RecordPtr a = MakeSampleRecord(data.data(), 511, true, test::Sector512Buffers());
    RecordPtr b = MakeSampleRecord(data.data(), 4, false, test::Sector512Buffers());
    const LaidOut one = Lay({a}, {true, true, 1}, 0);  // straight from the sample's buffer
    ASSERT_EQ(one.bytes.size(), 1024u);
    EXPECT_EQ(IdAt(one.bytes, 0), "00db");
    EXPECT_EQ(GetU32(&one.bytes[4]), 511u);
    EXPECT_EQ(one.bytes[8 + 510], 0xAB);
    EXPECT_EQ(one.bytes[8 + 511], 0u);  // pad byte
    EXPECT_EQ(IdAt(one.bytes, 520), "JUNK");
    EXPECT_EQ(GetU32(&one.bytes[524]), 504u - 8u);

    const LaidOut two = Lay({a, b}, {true, true, 1}, 2048);
    ASSERT_EQ(two.bytes.size(), 1536u);
    EXPECT_EQ(IdAt(two.bytes, 1024), "00dc");  // the next chunk starts at +1024
    ASSERT_EQ(two.layout.entries.size(), 2u);
    EXPECT_EQ(two.layout.entries[0].offset, 2048u + 4u);
    EXPECT_EQ(two.layout.entries[0].flags, kAviIndexKeyFrame);
    EXPECT_EQ(two.layout.entries[0].length, 511u);
    EXPECT_EQ(two.layout.entries[1].offset, 2048u + 1024u + 4u);
    EXPECT_EQ(two.layout.entries[1].flags, 0u);
    EXPECT_EQ(two.layout.videoFrames, 2u);
}

TEST(MoviChunks, NullRunIsBackToBackEmptyChunksThenJunk)
{
    std::vector<uint8_t> data(100, 1);
    RecordPtr run = MakeNullRun(3);
    RecordPtr sample = MakeSampleRecord(data.data(), 100, true, test::Sector512Buffers());
    const LaidOut out = Lay({run, sample}, {true, true, 1}, 512);
    ASSERT_EQ(out.bytes.size(), 1024u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(IdAt(out.bytes, 8 * i), "00dc");
        EXPECT_EQ(GetU32(&out.bytes[8 * i + 4]), 0u);
        EXPECT_EQ(out.layout.entries[i].ckid, kVideoChunk);
        EXPECT_EQ(out.layout.entries[i].flags, 0u);
        EXPECT_EQ(out.layout.entries[i].length, 0u);
        EXPECT_EQ(out.layout.entries[i].offset, 512u + 8u * i + 4u);
    }
    EXPECT_EQ(IdAt(out.bytes, 24), "JUNK");
    EXPECT_EQ(GetU32(&out.bytes[28]), 512u - 24u - 8u);
    EXPECT_EQ(IdAt(out.bytes, 512), "00db");
    EXPECT_EQ(out.layout.videoFrames, 4u);
}

TEST(MoviChunks, AudioIdsAndBlocks)
{
    std::vector<uint8_t> data(4800, 3);
    RecordPtr a = MakeSampleRecord(data.data(), 4800, false, test::Sector512Buffers());
    LaidOut withVideo = Lay({a}, {false, true, 4}, 0);
    EXPECT_EQ(IdAt(withVideo.bytes, 0), "01wb");
    EXPECT_EQ(withVideo.layout.audioBlocks, 1200u);
    EXPECT_EQ(withVideo.layout.videoFrames, 0u);
    LaidOut alone = Lay({a}, {false, false, 4}, 0);
    EXPECT_EQ(IdAt(alone.bytes, 0), "00wb");
}

TEST(Idx1Region, EntriesThenJunk)
{
    std::vector<Idx1Entry> entries{{kVideoKeyChunk, 0x10, 4, 100}, {kAudioChunkSecond, 0, 516, 40}};
    const uint32_t size = Idx1RegionBytes(entries.size(), 512);
    ASSERT_EQ(size, 512u);
    std::vector<uint8_t> out(size, 0);
    BuildIdx1Region(out.data(), entries, 512);
    EXPECT_EQ(IdAt(out, 0), "idx1");
    EXPECT_EQ(GetU32(&out[4]), 32u);
    EXPECT_EQ(IdAt(out, 8), "00db");
    EXPECT_EQ(GetU32(&out[12]), 0x10u);
    EXPECT_EQ(GetU32(&out[16]), 4u);
    EXPECT_EQ(GetU32(&out[20]), 100u);
    EXPECT_EQ(IdAt(out, 24), "01wb");
    EXPECT_EQ(IdAt(out, 40), "JUNK");
    EXPECT_EQ(GetU32(&out[44]), 512u - 40u - 8u);
    EXPECT_EQ(Idx1RegionBytes(0, 512), 512u);  // an empty index: 8 bytes and JUNK
}

TEST(StartValues, LeadingDelayInFramesAndBlocks)
{
    MuxSettings s;
    EXPECT_EQ(VideoStartFrames(10000000, 0, 333333, s), 30u);
    EXPECT_EQ(VideoStartFrames(-5, 0, 333333, s), 0u);
    EXPECT_EQ(VideoStartFrames(333333 * 5 / 2, 0, 333333, s), 2u);  // 2.5 stays 2
    EXPECT_EQ(VideoStartFrames(333333 * 5 / 2 + 3500, 0, 333333, s), 3u);
    s.audioDelayProcessing = AudioDelayProcessing::ReferenceTimeChange;
    EXPECT_EQ(VideoStartFrames(10000000, 5000000, 333333, s), 15u);
    s.videoDelayProcessing = VideoDelayProcessing::NullFrames;
    EXPECT_EQ(VideoStartFrames(10000000, 0, 333333, s), 0u);

    MuxSettings a;
    const AudioFormat pcm = MakeAudio();
    EXPECT_EQ(AudioStartBlocks(0, 2500000, pcm, a), 12000u);  // 0.25 s at 48 kHz
    a.videoDelayProcessing = VideoDelayProcessing::ReferenceTimeChange;
    EXPECT_EQ(AudioStartBlocks(2000000, 2500000, pcm, a), 2400u);
    a.audioDelayProcessing = AudioDelayProcessing::NullFrames;
    EXPECT_EQ(AudioStartBlocks(0, 2500000, pcm, a), 0u);
}

TEST(RateCorrectionAtStop, MeasuredRatesAndRateMaster)
{
    RateMeasurements m;
    m.videoFrames = 11;
    m.firstVideoTime = 0;
    m.lastVideoTime = 4000000;  // 10 intervals of 400,000
    m.totalAudioBlocks = 48000 + 480;
    m.lastBufferBlocks = 480;
    m.firstAudioTime = 0;
    m.lastAudioTime = 5000000;  // 48,000 blocks in 0.5 s: twice the rate
    const Rates held{333667, 192000, 48000};
    MuxSettings s;
    Rates r = CorrectRates(held, true, true, 4, m, s);
    EXPECT_EQ(r.frameDuration, 333667);
    EXPECT_EQ(r.avgBytesPerSec, 192000u);

    s.measureVideoRate = 1;
    s.measureAudioRate = 1;
    r = CorrectRates(held, true, true, 4, m, s);
    EXPECT_EQ(r.frameDuration, 400000);
    EXPECT_EQ(r.avgBytesPerSec, 384000u);
    EXPECT_EQ(r.samplesPerSec, 96000u);

    s.rateMaster = 1;  // audio follows video: only the audio changes, by T'/T
    r = CorrectRates(held, true, true, 4, m, s);
    EXPECT_EQ(r.frameDuration, 333667);
    EXPECT_EQ(r.avgBytesPerSec, static_cast<uint32_t>(384000.0 * 400000 / 333667));

    s.rateMaster = 2;  // video follows audio
    r = CorrectRates(held, true, true, 4, m, s);
    EXPECT_EQ(r.frameDuration, 800000);
    EXPECT_EQ(r.avgBytesPerSec, 192000u);
}

}  // namespace
}  // namespace trelvox
