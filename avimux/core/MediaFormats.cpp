#include "MediaFormats.h"

#include "ByteOrder.h"

namespace trelvox {
namespace {
constexpr uint32_t kBitmapInfoHeaderBytes = 40;
}

int32_t VideoFormat::Width() const
{
    return GetI32(&bitmapInfoHeader[4]);
}
int32_t VideoFormat::Height() const
{
    return GetI32(&bitmapInfoHeader[8]);
}
uint32_t VideoFormat::Compression() const
{
    return GetU32(&bitmapInfoHeader[16]);
}

uint16_t AudioFormat::Channels() const
{
    return GetU16(&waveFormat[2]);
}
uint32_t AudioFormat::SamplesPerSec() const
{
    return GetU32(&waveFormat[4]);
}
uint32_t AudioFormat::AvgBytesPerSec() const
{
    return GetU32(&waveFormat[8]);
}
uint16_t AudioFormat::BlockAlign() const
{
    return GetU16(&waveFormat[12]);
}

void AudioFormat::SetRates(uint32_t samplesPerSec, uint32_t avgBytesPerSec)
{
    PutU32(&waveFormat[4], samplesPerSec);
    PutU32(&waveFormat[8], avgBytesPerSec);
}

HResult VideoFormatFromBlock(VideoFormatKind kind, const uint8_t* block, uint32_t length, VideoFormat* format)
{
    const uint32_t at = kind == VideoFormatKind::VideoInfo ? 48 : 72;
    if (block == nullptr || format == nullptr)
        return kE_POINTER;
    if (length < at + kBitmapInfoHeaderBytes)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    const uint32_t biSize = GetU32(block + at);
    if (biSize < kBitmapInfoHeaderBytes || biSize > length - at)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    format->frameDuration = static_cast<int64_t>(GetU64(block + 40));
    format->bitmapInfoHeader.assign(block + at, block + at + biSize);
    return kS_OK;
}

HResult AudioFormatFromBlock(const uint8_t* block, uint32_t length, AudioFormat* format)
{
    if (block == nullptr || format == nullptr)
        return kE_POINTER;
    if (length < 16)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    AudioFormat parsed;
    parsed.waveFormat.assign(block, block + length);
    if (parsed.BlockAlign() == 0 || parsed.AvgBytesPerSec() == 0)
        return kVFW_E_TYPE_NOT_ACCEPTED;
    *format = std::move(parsed);
    return kS_OK;
}

}  // namespace trelvox
