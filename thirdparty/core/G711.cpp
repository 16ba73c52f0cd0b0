#include "G711.h"

namespace standin {
namespace {

constexpr int kMuLawBias = 0x84;
constexpr int kMuLawClip = 32635;
constexpr uint8_t kALawEvenBits = 0x55;
constexpr uint8_t kALawSignBit = 0x80;
constexpr int kALawFirstSegmentSize = 32;

// How many bits the biased magnitude has above bit 7, at most 7.
int MuLawExponent(int magnitude)
{
    int segment = 0;
    for (int value = magnitude >> 8; value != 0 && segment < 7; value >>= 1)
        ++segment;
    return segment;
}

}  // namespace

uint8_t EncodeMuLaw(int16_t sample)
{
    int value = sample;
    const uint8_t sign = value < 0 ? 0x80 : 0x00;
    if (value < 0)
        value = -value;
    if (value > kMuLawClip)
        value = kMuLawClip;
    value += kMuLawBias;
    const int exponent = MuLawExponent(value);
    const int mantissa = (value >> (exponent + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

uint8_t EncodeALaw(int16_t sample)
{
    // A-law works on 13-bit magnitudes; positive values carry the sign bit.
    int magnitude = sample >> 3;
    uint8_t mask = kALawEvenBits | kALawSignBit;
    if (magnitude < 0) {
        mask = kALawEvenBits;
        magnitude = -magnitude - 1;
    }
    int segment = 0;
    while (segment < 7 && magnitude >= (kALawFirstSegmentSize << segment))
        ++segment;
    const int mantissa = (magnitude >> (segment < 2 ? 1 : segment)) & 0x0F;
    return static_cast<uint8_t>(((segment << 4) | mantissa) ^ mask);
}

size_t EncodeFrames(const int16_t* in, size_t frames, int inChannels, Law law, int outChannels, uint8_t* out)
{
    const auto encode = law == Law::MuLaw ? EncodeMuLaw : EncodeALaw;
    size_t written = 0;
    for (size_t frame = 0; frame < frames; ++frame) {
        const int16_t* samples = in + frame * inChannels;
        if (outChannels == inChannels) {
            for (int channel = 0; channel < inChannels; ++channel)
                out[written++] = encode(samples[channel]);
        } else if (outChannels == 1) {
            out[written++] = encode(static_cast<int16_t>((samples[0] + samples[1]) / 2));
        } else {
            const uint8_t code = encode(samples[0]);
            out[written++] = code;
            out[written++] = code;
        }
    }
    return written;
}

}  // namespace standin
