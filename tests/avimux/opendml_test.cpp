// OpenDML files: header with super indexes and odml list, standard index chunks, idx1
// of the first RIFF, and AVIX RIFFs.
#include <gtest/gtest.h>

#include "Avi2Writer.h"
#include "ByteOrder.h"
#include "MemoryFileSystem.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"

namespace trelvox {
namespace {

using test::MakeAudio;
using test::MakeVideo;
using test::TimedSample;

constexpr uint32_t kX = 32256;
constexpr int64_t kT = 333667;

std::string IdAt(const std::vector<uint8_t>& b, uint64_t at)
{
    return std::string(reinterpret_cast<const char*>(&b[at]), 4);
}

class OpenDml : public ::testing::Test {
protected:
    OpenDml()
    {
        setup.fileName = "rec";
        setup.settings.muxMode = MuxMode::OpenDml;
    }
    void Record(bool audio)
    {
        setup.inputs.video = MakeVideo(32, 16);
        if (audio)
            setup.inputs.audio = MakeAudio();
        ASSERT_EQ(recorder.Prepare(setup), kS_OK);
        const std::vector<uint8_t> frame(1024, 9), sound(4800, 5);
        recorder.ReceiveVideo(TimedSample(frame, 0));
        if (audio)
            recorder.ReceiveAudio(TimedSample(sound, 0, false));
        recorder.ReceiveVideo(TimedSample(frame, 3 * kT, false));  // two null frames before it
        recorder.Stop();
    }

    MemoryFileSystem fs;
    test::EventLog events;
    MuxRunSetup setup;
    MuxRecorder recorder{fs, events, WriterThreading::Inline};
};

TEST_F(OpenDml, VideoOnlyLayout)
{
    Record(false);
    EXPECT_EQ(fs.Names(), std::set<std::string>{"rec.avi"});
    const std::vector<uint8_t>& b = fs.Bytes("rec.avi");
    EXPECT_EQ(GetU32(&b[4]), b.size() - 8);
    // Header: strl with its super index, odml, a 20-byte JUNK, movi at 32,756.
    EXPECT_EQ(GetU32(&b[92]), 76u + 40u + kX);
    EXPECT_EQ(IdAt(b, 212), "indx");
    EXPECT_EQ(GetU32(&b[216]), kX - 8);
    EXPECT_EQ(GetU32(&b[212 + 12]), 1u);  // one standard index
    EXPECT_EQ(IdAt(b, 212 + 16), "00db");
    EXPECT_EQ(GetU64(&b[212 + 32]), 32768u);  // at H2
    EXPECT_EQ(GetU32(&b[212 + 40]), kX);
    EXPECT_EQ(GetU32(&b[212 + 44]), 4u);  // frames covered, null frames included
    EXPECT_EQ(IdAt(b, 32468), "LIST");
    EXPECT_EQ(IdAt(b, 32476), "odml");
    EXPECT_EQ(IdAt(b, 32480), "dmlh");
    EXPECT_EQ(GetU32(&b[32488]), 4u);
    EXPECT_EQ(IdAt(b, 32736), "JUNK");
    EXPECT_EQ(GetU32(&b[32740]), 12u);
    EXPECT_EQ(IdAt(b, 32756), "LIST");
    EXPECT_EQ(IdAt(b, 32764), "movi");
    EXPECT_EQ(GetU32(&b[48]), 4u);  // avih total frames

    // The standard index at 32,768, the first picture at 65,024.
    EXPECT_EQ(IdAt(b, 32768), "ix00");
    EXPECT_EQ(GetU32(&b[32772]), kX - 8);
    EXPECT_EQ(GetU16(&b[32776]), 2u);
    EXPECT_EQ(b[32779], 1u);
    EXPECT_EQ(GetU32(&b[32780]), 4u);
    EXPECT_EQ(GetU64(&b[32788]), 32768u);
    EXPECT_EQ(GetU32(&b[32800]), 65024u + 8u - 32768u);
    EXPECT_EQ(GetU32(&b[32804]), 1024u);             // key frame: bit 31 clear
    EXPECT_EQ(GetU32(&b[32800 + 12]), 0x80000000u);  // a null frame
    EXPECT_EQ(GetU32(&b[32800 + 28]), 1024u | 0x80000000u);
    EXPECT_EQ(IdAt(b, 65024), "00db");
    EXPECT_EQ(IdAt(b, 65024 + 1536), "00dc");

    // idx1 of the first RIFF lists the index chunk too.
    const uint32_t moviBytes = GetU32(&b[32760]) - 4;
    const uint64_t idx1 = 32768 + moviBytes;
    EXPECT_EQ(IdAt(b, idx1), "idx1");
    EXPECT_EQ(GetU32(&b[idx1 + 4]), 5u * 16u);
    EXPECT_EQ(IdAt(b, idx1 + 8), "ix00");
    EXPECT_EQ(GetU32(&b[idx1 + 16]), 4u);
    EXPECT_EQ(GetU32(&b[idx1 + 20]), kX - 8);
    EXPECT_EQ(GetU32(&b[idx1 + 24 + 8]), kX + 4);
    EXPECT_EQ(GetU32(&b[idx1 + 40 + 12]), 0u);  // null frame: length 0
}

TEST_F(OpenDml, BothStreamsReserveTheirIndexesBackToBack)
{
    Record(true);
    const std::vector<uint8_t>& b = fs.Bytes("rec.avi");
    // Locate movi from the header: the LIST movi sits 12 bytes before H2.
    uint32_t header = 0;
    for (uint32_t at = 512; at < b.size(); at += 512) {
        if (IdAt(b, at - 4) == "movi") {
            header = at;
            break;
        }
    }
    ASSERT_EQ(header, 65536u);  // 88 + (124 + X) + (102 + X) + 280 = 65,106 -> 65,536
    EXPECT_EQ(IdAt(b, header), "ix00");
    EXPECT_EQ(IdAt(b, header + kX), "ix01");
    EXPECT_EQ(IdAt(b, header + kX + 16), "01wb");
    EXPECT_EQ(GetU32(&b[header + kX + 32 + 4]), 4800u | 0x80000000u);  // audio, not a sync point
    const uint32_t moviBytes = GetU32(&b[header - 8]) - 4;
    const uint64_t idx1 = header + moviBytes;
    EXPECT_EQ(GetU32(&b[idx1 + 16]), 4u);
    EXPECT_EQ(GetU32(&b[idx1 + 32]), kX + 4);
    EXPECT_EQ(IdAt(b, idx1 + 24), "ix01");
}

// Writes straight through the OpenDML writer with small RIFFs.
TEST(OpenDmlWriter, NewRiffsAndNewIndexBlocks)
{
    MemoryFileSystem fs;
    Avi2Layout layout;
    layout.sectorSize = 512;
    layout.inputs.video = MakeVideo(32, 16);
    layout.run = {kT, 512, 1024, 0, 0};
    layout.segmentBytes = 100000;
    Avi2Writer writer;
    ASSERT_EQ(writer.Create(fs, "o.avi", CreateMode::CreateAlways, layout), kS_OK);
    const std::vector<uint8_t> frame(1024, 1);
    for (int i = 0; i < 60; ++i) {
        RecordPtr record = MakeSampleRecord(frame.data(), 1024, true, test::Sector512Buffers());
        ASSERT_EQ(writer.Write(StreamKind::Video, {record}), kS_OK);
    }
    ASSERT_EQ(writer.Write(StreamKind::Video, {MakeNullRun(4100)}), kS_OK);  // more than a block holds
    ASSERT_EQ(writer.Finish(layout.inputs, layout.run, 0, 0), kS_OK);
    writer.Close();

    const std::vector<uint8_t>& b = fs.Bytes("o.avi");
    EXPECT_EQ(fs.misalignedWrites, 0);
    // Walk the RIFFs: the first "AVI ", then "AVIX" ones right after each other.
    const test::ByteSource source = test::BytesOf(b);
    const test::AviReader reader(source);
    std::vector<std::string> riffs;
    for (const test::Chunk& riff : test::Riffs(reader))
        riffs.push_back(test::Form(reader, riff));
    ASSERT_FALSE(riffs.empty());
    EXPECT_EQ(test::Riffs(reader).back().Next(), b.size()) << "nothing but RIFFs";
    ASSERT_GE(riffs.size(), 3u);
    EXPECT_EQ(riffs[0], "AVI ");
    EXPECT_EQ(riffs[1], "AVIX");

    // The super index: blocks covering 60 pictures and 4,100 null frames, none over 4,028.
    const uint64_t indx = 212;
    ASSERT_EQ(IdAt(b, indx), "indx");
    const uint32_t blocks = GetU32(&b[indx + 12]);
    ASSERT_GE(blocks, 2u);
    uint64_t frames = 0;
    for (uint32_t i = 0; i < blocks; ++i) {
        const uint64_t offset = GetU64(&b[indx + 32 + 16 * i]);
        const uint32_t duration = GetU32(&b[indx + 32 + 16 * i + 12]);
        EXPECT_EQ(IdAt(b, offset), "ix00");
        EXPECT_EQ(GetU64(&b[offset + 20]), offset);
        EXPECT_EQ(GetU32(&b[offset + 12]), duration);
        EXPECT_LE(duration, 4028u);
        frames += duration;
        for (uint32_t e = 0; e < duration; ++e) {  // every entry points at its chunk's data
            const uint64_t data = offset + GetU32(&b[offset + 32 + 8 * e]);
            ASSERT_LT(data, b.size());
            EXPECT_EQ(IdAt(b, data - 8).substr(0, 3), "00d") << "block " << i << " entry " << e;
        }
    }
    EXPECT_EQ(frames, 4160u);
    EXPECT_EQ(GetU32(&b[32488]), 4160u);  // dmlh
}

}  // namespace
}  // namespace trelvox
