// The audio format list's default inputs and its sanity rule.
#pragma once

#include "profiles/core/AudioFormatList.h"

#include <cstdint>
#include <vector>

namespace settingsui {

// One pair per default input (16-bit PCM at 48000, 44100 and 32000 Hz, stereo then
// mono), without outputs or texts.
std::vector<AudioFormatPair> DefaultAudioInputs();

// A 16-bit PCM WAVEFORMATEX of 18 bytes.
std::vector<std::uint8_t> PcmFormat(std::uint16_t channels, std::uint32_t samplesPerSecond);

// Every pair has an input and every present format is sane: it holds the extra bytes
// its cbSize claims; tag, channels, rate and bytes per second non-zero, and for PCM
// also bits per sample and block align.
bool ValidateAudioFormatList(const std::vector<AudioFormatPair>& pairs);

// "%dHz %dch" of a format.
std::wstring InputFormatText(const std::vector<std::uint8_t>& format);

}  // namespace settingsui
