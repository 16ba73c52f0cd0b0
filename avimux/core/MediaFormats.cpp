#include "MediaFormats.h"

#include "AviStructures.h"
#include "ByteOrder.h"

namespace trelvox {

int32_t VideoFormat::Width() const
{
    return GetI32(&bitmapInfoHeader[offsetof(BitmapInfoHeader, biWidth)]);
}
int32_t VideoFormat::Height() const
{
    return GetI32(&bitmapInfoHeader[offsetof(BitmapInfoHeader, biHeight)]);
}
uint32_t VideoFormat::Compression() const
{
    return GetU32(&bitmapInfoHeader[offsetof(BitmapInfoHeader, biCompression)]);
}

uint16_t AudioFormat::Channels() const
{
    return GetU16(&waveFormat[offsetof(WaveFormatEx, nChannels)]);
}
uint32_t AudioFormat::SamplesPerSec() const
{
    return GetU32(&waveFormat[offsetof(WaveFormatEx, nSamplesPerSec)]);
}
uint32_t AudioFormat::AvgBytesPerSec() const
{
    return GetU32(&waveFormat[offsetof(WaveFormatEx, nAvgBytesPerSec)]);
}
uint16_t AudioFormat::BlockAlign() const
{
    return GetU16(&waveFormat[offsetof(WaveFormatEx, nBlockAlign)]);
}

void AudioFormat::SetRates(uint32_t samplesPerSec, uint32_t avgBytesPerSec)
{
    PutU32(&waveFormat[offsetof(WaveFormatEx, nSamplesPerSec)], samplesPerSec);
    PutU32(&waveFormat[offsetof(WaveFormatEx, nAvgBytesPerSec)], avgBytesPerSec);
}

HResult VideoFormatFromBlock(VideoFormatKind kind, const uint8_t* block, uint32_t length, VideoFormat* format)
{
    const uint32_t at = kind == VideoFormatKind::VideoInfo ? kVideoInfoBitmapOffset : kVideoInfo2BitmapOffset;
    if (block == nullptr || format == nullptr)
        return kE_POINTER;
    if (length < at + kBitmapInfoHeaderBytes)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    const uint32_t biSize = GetU32(block + at);
    if (biSize < kBitmapInfoHeaderBytes || biSize > length - at)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    format->frameDuration = static_cast<int64_t>(GetU64(block + offsetof(VideoInfoHeaderHead, AvgTimePerFrame)));
    format->bitmapInfoHeader.assign(block + at, block + at + biSize);
    return kS_OK;
}

HResult AudioFormatFromBlock(const uint8_t* block, uint32_t length, AudioFormat* format)
{
    if (block == nullptr || format == nullptr)
        return kE_POINTER;
    if (length < kPcmWaveFormatBytes)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    AudioFormat parsed;
    parsed.waveFormat.assign(block, block + length);
    if (parsed.BlockAlign() == 0 || parsed.AvgBytesPerSec() == 0)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    *format = std::move(parsed);
    return kS_OK;
}

}  // namespace trelvox
