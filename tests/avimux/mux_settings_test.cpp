// The persisted settings block and the bounds a recording relies on.
#include <gtest/gtest.h>

#include "ByteOrder.h"
#include "MuxSettings.h"

namespace trelvox {
namespace {

TEST(MuxSettingsBlock, PersistedLayoutAndRoundTrip)
{
    MuxSettings s;
    s.maxFiles = 7;
    s.dropThreshold = 0.25;
    s.driftStartTime = 123456789012;
    s.fourccOverride = 0x47504A4D;
    s.muxMode = MuxMode::OpenDml;
    s.splitMode = SplitMode::KeyFrameCount;
    s.videoDelayProcessing = VideoDelayProcessing::ReferenceTimeChange;
    s.audioDelayProcessing = static_cast<AudioDelayProcessing>(9);  // names nothing, kept as it is
    const auto bytes = SerializeMuxSettings(s);
    ASSERT_EQ(bytes.size(), 180u);
    const char16_t version[] = u"00000000000 ";
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(GetU16(&bytes[2 * i]), version[i]);
    EXPECT_EQ(GetU32(&bytes[24]), 7u);
    EXPECT_EQ(GetU32(&bytes[24 + 4]), 0x7FF00000u);
    EXPECT_EQ(GetU64(&bytes[24 + 56]), 123456789012u);
    EXPECT_EQ(GetU32(&bytes[24 + 64]), 1u);
    EXPECT_EQ(GetU32(&bytes[24 + 68]), 2u);
    EXPECT_EQ(GetU32(&bytes[24 + 72]), 3u);
    EXPECT_EQ(GetU32(&bytes[24 + 76]), 9u);
    EXPECT_EQ(GetU32(&bytes[24 + 152]), 0x47504A4Du);

    MuxSettings back;
    ASSERT_TRUE(ParseMuxSettings(bytes.data(), static_cast<uint32_t>(bytes.size()), &back));
    EXPECT_EQ(back.maxFiles, 7u);
    EXPECT_EQ(back.dropThreshold, 0.25);
    EXPECT_EQ(back.driftStartTime, 123456789012);
    EXPECT_EQ(back.fourccOverride, 0x47504A4Du);
    EXPECT_EQ(back.muxMode, MuxMode::OpenDml);
    EXPECT_EQ(back.splitMode, SplitMode::KeyFrameCount);
    EXPECT_EQ(back.videoDelayProcessing, VideoDelayProcessing::ReferenceTimeChange);
    EXPECT_EQ(back.audioDelayProcessing, static_cast<AudioDelayProcessing>(9));
    EXPECT_FALSE(ParseMuxSettings(bytes.data(), 179, &back));
}

TEST(MuxSettingsBlock, LoadedValuesAreBounded)
{
    MuxSettings s;
    s.maxFiles = 0;
    s.maxFileSize = 5;
    s.splitCountVideo = 0;
    s.dropThreshold = -1.0;
    s.frameDurationOverride = -3;
    const MuxSettings b = Bounded(s);
    EXPECT_EQ(b.maxFiles, 1u);
    EXPECT_EQ(b.maxFileSize, MaxFileSizeFromMegabytes(10));
    EXPECT_EQ(b.splitCountVideo, 1u);
    EXPECT_EQ(b.dropThreshold, 0.0);
    EXPECT_EQ(b.frameDurationOverride, 1);
    EXPECT_EQ(MegabytesFromMaxFileSize(MaxFileSizeFromMegabytes(4000)), 2048u);
    EXPECT_EQ(MaxFileSizeFromMegabytes(2048), 0x7FF00000u);
}

}  // namespace
}  // namespace trelvox
