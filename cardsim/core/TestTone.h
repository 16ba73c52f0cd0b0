// The sound the simulated card delivers: 16-bit stereo PCM with a tone on the left channel
// (its pitch names the routed audio input) and a running count of sample frames, modulo
// 65536, on the right, so a reader can tell gaps, order and swapped channels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cardsim {

enum class AudioInput { None, Hdmi, Spdif, Analog };  // None: silence

int ToneHz(AudioInput input);

constexpr int kToneAmplitude = 8000;

// Writes frames sample frames (left, right interleaved) starting at sample frame firstFrame.
void FillAudio(int16_t* interleaved, size_t frames, uint64_t firstFrame, int sampleRate, AudioInput input);

struct AudioReading {
    bool counterFound = false;  // one channel counts up by one per sample frame
    int counterChannel = -1;    // 0 left, 1 right
    uint16_t firstCounter = 0;  // the count of the first sample frame, modulo 65536
    double toneHz = 0;          // pitch of the other channel, 0 when it holds no tone
};

// Reads a buffer made by FillAudio (possibly with the channels swapped).
AudioReading ReadAudio(const int16_t* interleaved, size_t frames, int sampleRate);

}  // namespace cardsim
