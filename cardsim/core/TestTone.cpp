#include "TestTone.h"

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace cardsim {
namespace {

bool Counts(const int16_t* interleaved, size_t frames, int channel)
{
    if (frames < 2)
        return false;
    for (size_t i = 1; i < frames; ++i) {
        const auto previous = static_cast<uint16_t>(interleaved[2 * (i - 1) + channel]);
        const auto current = static_cast<uint16_t>(interleaved[2 * i + channel]);
        if (static_cast<uint16_t>(previous + 1) != current)
            return false;
    }
    return true;
}

// Pitch from the rising zero crossings: whole periods between the first and the last.
double Pitch(const int16_t* interleaved, size_t frames, int channel, int sampleRate)
{
    long first = -1;
    long last = -1;
    long crossings = 0;
    for (size_t i = 1; i < frames; ++i) {
        if (interleaved[2 * (i - 1) + channel] < 0 && interleaved[2 * i + channel] >= 0) {
            if (first < 0)
                first = static_cast<long>(i);
            last = static_cast<long>(i);
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0;
    return static_cast<double>(crossings - 1) * sampleRate / static_cast<double>(last - first);
}

}  // namespace

int ToneHz(AudioInput input)
{
    switch (input) {
    case AudioInput::None:
        return 0;
    case AudioInput::Hdmi:
        return 2000;
    case AudioInput::Spdif:
        return 1000;
    case AudioInput::Analog:
        return 440;
    }
    return 0;
}

void FillAudio(int16_t* interleaved, size_t frames, uint64_t firstFrame, int sampleRate, AudioInput input)
{
    const double step = 2 * std::numbers::pi * ToneHz(input) / sampleRate;
    // Keep the phase argument small over hours of sound.
    const uint64_t period = static_cast<uint64_t>(sampleRate);
    for (size_t i = 0; i < frames; ++i) {
        const uint64_t frame = firstFrame + i;
        const double phase = step * static_cast<double>(frame % period);
        interleaved[2 * i] = static_cast<int16_t>(std::lround(kToneAmplitude * std::sin(phase)));
        interleaved[2 * i + 1] = static_cast<int16_t>(static_cast<uint16_t>(frame & 0xFFFF));
    }
}

AudioReading ReadAudio(const int16_t* interleaved, size_t frames, int sampleRate)
{
    AudioReading reading;
    for (int channel : {1, 0}) {
        if (Counts(interleaved, frames, channel)) {
            reading.counterFound = true;
            reading.counterChannel = channel;
            reading.firstCounter = static_cast<uint16_t>(interleaved[channel]);
            reading.toneHz = Pitch(interleaved, frames, 1 - channel, sampleRate);
            return reading;
        }
    }
    reading.toneHz = Pitch(interleaved, frames, 0, sampleRate);
    return reading;
}

}  // namespace cardsim
