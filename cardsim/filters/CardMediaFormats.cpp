#include "CardMediaFormats.h"

#include <algorithm>
#include <cstdlib>
#include <mmreg.h>

#include "dshowbase/MediaType.h"

namespace cardsim {
namespace {

constexpr DWORD kYuy2 = MAKEFOURCC('Y', 'U', 'Y', '2');

AM_MEDIA_TYPE* NewType(const GUID& major, const GUID& sub, const GUID& formatType, const void* format,
                       ULONG formatBytes, ULONG sampleSize)
{
    CMediaType type(&major);
    type.SetSubtype(&sub);
    type.SetFormatType(&formatType);
    type.SetSampleSize(sampleSize);
    if (!type.SetFormat(static_cast<const BYTE*>(format), formatBytes))
        return nullptr;
    return CreateMediaType(&type);
}

}  // namespace

VIDEOINFOHEADER Yuy2VideoInfo(const VideoCapability& cap)
{
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = cap.frameDuration;
    const DWORD bytes = static_cast<DWORD>(Yuy2FrameBytes(cap.width, cap.height));
    info.dwBitRate = static_cast<DWORD>(static_cast<int64_t>(bytes) * 8 * 10000000 / cap.frameDuration);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = cap.width;
    info.bmiHeader.biHeight = cap.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 16;
    info.bmiHeader.biCompression = kYuy2;
    info.bmiHeader.biSizeImage = bytes;
    return info;
}

VIDEO_STREAM_CONFIG_CAPS VideoConfigCaps(const VideoCapability& cap)
{
    VIDEO_STREAM_CONFIG_CAPS caps{};
    caps.guid = FORMAT_VideoInfo;
    caps.VideoStandard = AnalogVideo_NTSC_M_J;
    caps.InputSize = {cap.width, cap.height};
    caps.MinCroppingSize = caps.MaxCroppingSize = caps.InputSize;
    caps.CropGranularityX = caps.CropGranularityY = 1;
    caps.CropAlignX = caps.CropAlignY = 1;
    caps.MinOutputSize = caps.MaxOutputSize = caps.InputSize;
    caps.OutputGranularityX = caps.OutputGranularityY = 1;
    caps.MinFrameInterval = caps.MaxFrameInterval = cap.frameDuration;
    const LONG bits = static_cast<LONG>(static_cast<int64_t>(Yuy2FrameBytes(cap.width, cap.height)) * 8 * 10000000 /
                                        cap.frameDuration);
    caps.MinBitsPerSecond = caps.MaxBitsPerSecond = bits;
    return caps;
}

WAVEFORMATEX PcmFormat(int sampleRate)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kAudioChannels;
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.wBitsPerSample = kAudioBitsPerSample;
    format.nBlockAlign = kAudioBlockAlign;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return format;
}

AUDIO_STREAM_CONFIG_CAPS AudioConfigCaps(int sampleRate)
{
    AUDIO_STREAM_CONFIG_CAPS caps{};
    caps.guid = MEDIATYPE_Audio;
    caps.MinimumChannels = caps.MaximumChannels = kAudioChannels;
    caps.ChannelsGranularity = 1;
    caps.MinimumBitsPerSample = caps.MaximumBitsPerSample = kAudioBitsPerSample;
    caps.BitsPerSampleGranularity = 1;
    caps.MinimumSampleFrequency = caps.MaximumSampleFrequency = static_cast<ULONG>(sampleRate);
    caps.SampleFrequencyGranularity = 1;
    return caps;
}

AM_MEDIA_TYPE* NewVideoMediaType(const VideoCapability& cap)
{
    const VIDEOINFOHEADER info = Yuy2VideoInfo(cap);
    return NewType(MEDIATYPE_Video, MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, &info, sizeof info,
                   info.bmiHeader.biSizeImage);
}

AM_MEDIA_TYPE* NewAudioMediaType(int sampleRate)
{
    const WAVEFORMATEX format = PcmFormat(sampleRate);
    return NewType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM, FORMAT_WaveFormatEx, &format, sizeof format, format.nBlockAlign);
}

bool ReadVideoType(const AM_MEDIA_TYPE& type, VideoCapability& cap, int omittedRow)
{
    if (type.majortype != MEDIATYPE_Video || type.subtype != MEDIASUBTYPE_YUY2 || type.formattype != FORMAT_VideoInfo ||
        !type.pbFormat || type.cbFormat < sizeof(VIDEOINFOHEADER))
        return false;
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biCompression != kYuy2 || header.biBitCount != 16 || header.biHeight < 0)
        return false;
    const std::vector<VideoCapability> caps = VideoCapabilities(omittedRow);
    const bool offered = std::any_of(caps.begin(), caps.end(), [&](const VideoCapability& c) {
        return c.width == header.biWidth && c.height == header.biHeight;
    });
    if (!offered)
        return false;
    cap.width = header.biWidth;
    cap.height = header.biHeight;
    cap.frameDuration = info->AvgTimePerFrame > 0 ? info->AvgTimePerFrame : DefaultVideoCapability().frameDuration;
    return true;
}

bool ReadAudioType(const AM_MEDIA_TYPE& type, int& sampleRate)
{
    if (type.majortype != MEDIATYPE_Audio || type.subtype != MEDIASUBTYPE_PCM ||
        type.formattype != FORMAT_WaveFormatEx || !type.pbFormat || type.cbFormat < sizeof(PCMWAVEFORMAT))
        return false;
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->nChannels != kAudioChannels ||
        format->wBitsPerSample != kAudioBitsPerSample || format->nBlockAlign != kAudioBlockAlign)
        return false;
    const std::vector<int> rates = AudioSampleRates();
    if (std::find(rates.begin(), rates.end(), static_cast<int>(format->nSamplesPerSec)) == rates.end())
        return false;
    sampleRate = static_cast<int>(format->nSamplesPerSec);
    return true;
}

}  // namespace cardsim
