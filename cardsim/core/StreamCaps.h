// What the capture pins offer: YUY2 pictures at the card's input formats, 16-bit stereo PCM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cardsim {

struct VideoCapability {
    int width;
    int height;
    int64_t frameDuration;  // 100 ns
};

// One capability per input format (480i, 480p, 1080i, 720p, 1080p, in that order), then the
// right sizes at other rates (720p at 50, 1080 at 25). omittedRow 1..5 leaves that format's
// exact capability out.
std::vector<VideoCapability> VideoCapabilities(int omittedRow = 0);
VideoCapability DefaultVideoCapability();

size_t Yuy2FrameBytes(int width, int height);

constexpr int kAudioChannels = 2;
constexpr int kAudioBitsPerSample = 16;
constexpr int kAudioBlockAlign = kAudioChannels * kAudioBitsPerSample / 8;
constexpr int kDefaultSampleRate = 48000;
std::vector<int> AudioSampleRates();

// Sound goes out in 20 ms buffers.
int AudioBufferFrames(int sampleRate);

}  // namespace cardsim
