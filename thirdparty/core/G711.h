// G.711 companding of 16-bit PCM, with the channel mixing the audio compressor needs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace standin {

enum class Law { MuLaw, ALaw };

uint8_t EncodeMuLaw(int16_t sample);
uint8_t EncodeALaw(int16_t sample);

// Encodes `frames` interleaved sample frames of `inChannels` (1 or 2) into `outChannels`
// (1 or 2): stereo to mono averages, mono to stereo repeats. Writes frames × outChannels
// bytes and returns that count.
size_t EncodeFrames(const int16_t* in, size_t frames, int inChannels, Law law, int outChannels, uint8_t* out);

}  // namespace standin
