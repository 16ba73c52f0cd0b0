// The audio format list's output format as a media type, and its description
// from the Audio Compression Manager.
#include "AudioOutputFormat.h"

#include <dshow.h>
#include <mmreg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// KSDATAFORMAT_SUBTYPE_IEEE_FLOAT
const GUID kFloatSubtype = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

template <typename Format>
std::vector<std::uint8_t> Bytes(const Format& format, size_t size = sizeof(Format))
{
    std::vector<std::uint8_t> bytes(size);
    std::memcpy(bytes.data(), &format, size);
    return bytes;
}

WAVEFORMATEX Pcm()
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 48000;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 192000;
    return format;
}

TEST(AudioOutputFormat, PcmTakesEighteenBytesWhateverItsCbSizeSays)
{
    WAVEFORMATEX format = Pcm();
    format.cbSize = 2;
    std::vector<std::uint8_t> bytes = Bytes(format, 18);
    bytes.push_back(0xAA);
    bytes.push_back(0xBB);
    CMediaType type;
    ASSERT_EQ(S_OK, AudioMediaTypeFromFormat(bytes, type));
    EXPECT_EQ(MEDIATYPE_Audio, type.majortype);
    EXPECT_EQ(MEDIASUBTYPE_PCM, type.subtype);
    EXPECT_EQ(FORMAT_WaveFormatEx, type.formattype);
    EXPECT_TRUE(type.bFixedSizeSamples);
    EXPECT_FALSE(type.bTemporalCompression);
    EXPECT_EQ(4u, type.lSampleSize);
    ASSERT_EQ(18u, type.cbFormat);
    EXPECT_EQ(0, std::memcmp(bytes.data(), type.pbFormat, 18));
}

TEST(AudioOutputFormat, OtherTagsKeepTheirExtraBytesAndNameTheirSubtype)
{
    IMAADPCMWAVEFORMAT adpcm{};
    adpcm.wfx.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
    adpcm.wfx.nChannels = 2;
    adpcm.wfx.nSamplesPerSec = 48000;
    adpcm.wfx.wBitsPerSample = 4;
    adpcm.wfx.nBlockAlign = 2048;
    adpcm.wfx.cbSize = 2;
    adpcm.wSamplesPerBlock = 2041;
    CMediaType type;
    ASSERT_EQ(S_OK, AudioMediaTypeFromFormat(Bytes(adpcm, 20), type));
    GUID expected = MEDIASUBTYPE_PCM;
    expected.Data1 = WAVE_FORMAT_IMA_ADPCM;
    EXPECT_EQ(expected, type.subtype);
    EXPECT_EQ(20u, type.cbFormat);
    EXPECT_EQ(2048u, type.lSampleSize);

    WAVEFORMATEXTENSIBLE extensible{};
    extensible.Format = Pcm();
    extensible.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    extensible.Format.cbSize = 22;
    extensible.SubFormat = kFloatSubtype;
    ASSERT_EQ(S_OK, AudioMediaTypeFromFormat(Bytes(extensible), type));
    EXPECT_EQ(kFloatSubtype, type.subtype);
    EXPECT_EQ(40u, type.cbFormat);
}

TEST(AudioOutputFormat, ShortBlocksAreRefused)
{
    CMediaType type;
    EXPECT_EQ(E_INVALIDARG, AudioMediaTypeFromFormat({}, type));
    WAVEFORMATEX format = Pcm();
    format.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
    format.cbSize = 2;
    EXPECT_EQ(E_INVALIDARG, AudioMediaTypeFromFormat(Bytes(format, 18), type)) << "cbSize promises two more bytes";
    WAVEFORMATEXTENSIBLE extensible{};
    extensible.Format = Pcm();
    extensible.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    EXPECT_EQ(E_INVALIDARG, AudioMediaTypeFromFormat(Bytes(extensible.Format), type)) << "no SubFormat";
    EXPECT_EQ(L"", DescribeAudioFormat(Bytes(format, 18)));
}

TEST(AudioOutputFormat, DescriptionIsTheTagNameABlankAndTheFormatText)
{
    const std::wstring pcm = DescribeAudioFormat(Bytes(Pcm(), 18));
    // The texts are the compression manager's own; Windows says "PCM 48.000 kHz, 16 Bit, Stereo".
    ASSERT_GT(pcm.size(), 4u);
    EXPECT_EQ(L"PCM ", pcm.substr(0, 4));
    EXPECT_NE(std::wstring::npos, pcm.find(L"48")) << std::string(pcm.begin(), pcm.end());

    WAVEFORMATEX unknown = Pcm();
    unknown.wFormatTag = 0x7A7A;
    EXPECT_EQ(L"", DescribeAudioFormat(Bytes(unknown, 18))) << "no driver for the tag";
}

}  // namespace
