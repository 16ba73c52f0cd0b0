// The audio format list of the record profile: per pair an input and an output
// WAVEFORMATEX (18 bytes plus cbSize extra bytes), either of which may be absent.
#pragma once

#include "ProfileStatus.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct AudioFormatPair {
    std::vector<std::uint8_t> input;   // empty when absent
    std::vector<std::uint8_t> output;  // empty when absent
    std::wstring inputText;            // descriptions for display; not stored
    std::wstring outputText;
};

namespace profiles {

inline constexpr std::size_t kWaveFormatBaseSize = 18;

// 18 + cbSize for a format holding at least its base structure, else 0.
std::size_t WaveFormatSize(std::span<const std::uint8_t> format);
// The bytes hold the base structure and the cbSize extra bytes it claims.
bool HoldsWholeWaveFormat(std::span<const std::uint8_t> format);

// A present format must hold its 18 + cbSize bytes.
Status EncodeAudioFormatList(const std::vector<AudioFormatPair>& pairs, std::vector<std::uint8_t>& stream);
// Every stored length must be 0 or exactly 18 + the format's cbSize.
Status DecodeAudioFormatList(std::span<const std::uint8_t> stream, std::vector<AudioFormatPair>& pairs);

}  // namespace profiles
