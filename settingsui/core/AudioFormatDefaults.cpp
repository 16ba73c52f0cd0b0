#include "AudioFormatDefaults.h"

#include <string>

namespace settingsui {
namespace {

constexpr std::uint16_t kWaveFormatPcm = 1;
constexpr std::uint16_t kBitsPerSample = 16;

// WAVEFORMATEX field offsets.
constexpr std::size_t kFormatTag = 0;
constexpr std::size_t kChannels = 2;
constexpr std::size_t kSamplesPerSec = 4;
constexpr std::size_t kAvgBytesPerSec = 8;
constexpr std::size_t kBlockAlign = 12;
constexpr std::size_t kBitsPerSampleField = 14;

std::uint32_t Field(const std::vector<std::uint8_t>& format, std::size_t offset, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= static_cast<std::uint32_t>(format[offset + i]) << (8 * i);
    return value;
}

void SetField(std::vector<std::uint8_t>& format, std::size_t offset, std::size_t width, std::uint32_t value)
{
    for (std::size_t i = 0; i < width; ++i)
        format[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool IsSane(const std::vector<std::uint8_t>& format)
{
    if (!profiles::HoldsWholeWaveFormat(format))
        return false;
    const std::uint32_t tag = Field(format, kFormatTag, 2);
    if (tag == 0 || Field(format, kChannels, 2) == 0 || Field(format, kSamplesPerSec, 4) == 0 ||
        Field(format, kAvgBytesPerSec, 4) == 0)
        return false;
    return tag != kWaveFormatPcm || (Field(format, kBitsPerSampleField, 2) != 0 && Field(format, kBlockAlign, 2) != 0);
}

}  // namespace

std::vector<std::uint8_t> PcmFormat(std::uint16_t channels, std::uint32_t samplesPerSecond)
{
    std::vector<std::uint8_t> format(profiles::kWaveFormatBaseSize, 0);
    const std::uint32_t blockAlign = channels * kBitsPerSample / 8u;
    SetField(format, kFormatTag, 2, kWaveFormatPcm);
    SetField(format, kChannels, 2, channels);
    SetField(format, kSamplesPerSec, 4, samplesPerSecond);
    SetField(format, kAvgBytesPerSec, 4, samplesPerSecond * blockAlign);
    SetField(format, kBlockAlign, 2, blockAlign);
    SetField(format, kBitsPerSampleField, 2, kBitsPerSample);
    return format;
}

std::vector<AudioFormatPair> DefaultAudioInputs()
{
    std::vector<AudioFormatPair> pairs;
    for (std::uint32_t rate : {48000u, 44100u, 32000u}) {
        for (std::uint16_t channels : {std::uint16_t{2}, std::uint16_t{1}})
            pairs.push_back({PcmFormat(channels, rate), {}, {}, {}});
    }
    return pairs;
}

bool ValidateAudioFormatList(const std::vector<AudioFormatPair>& pairs)
{
    for (const AudioFormatPair& pair : pairs) {
        if (pair.input.empty() || !IsSane(pair.input) || (!pair.output.empty() && !IsSane(pair.output)))
            return false;
    }
    return true;
}

std::wstring InputFormatText(const std::vector<std::uint8_t>& format)
{
    if (profiles::WaveFormatSize(format) == 0)
        return {};
    return std::to_wstring(Field(format, kSamplesPerSec, 4)) + L"Hz " + std::to_wstring(Field(format, kChannels, 2)) +
           L"ch";
}

}  // namespace settingsui
