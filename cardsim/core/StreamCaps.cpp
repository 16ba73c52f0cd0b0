#include "StreamCaps.h"

namespace cardsim {

std::vector<VideoCapability> VideoCapabilities(int omittedRow)
{
    const VideoCapability rows[] = {
        {720, 480, 333667}, {720, 480, 166833}, {1920, 1080, 333667}, {1280, 720, 166833}, {1920, 1080, 166833},
    };
    std::vector<VideoCapability> caps;
    for (int row = 1; row <= 5; ++row) {
        if (row != omittedRow)
            caps.push_back(rows[row - 1]);
    }
    caps.push_back({1280, 720, 200000});
    caps.push_back({1920, 1080, 400000});
    return caps;
}

VideoCapability DefaultVideoCapability()
{
    return {1920, 1080, 333667};
}

size_t Yuy2FrameBytes(int width, int height)
{
    const size_t stride = (static_cast<size_t>(width) * 2 + 3) & ~size_t{3};
    return stride * static_cast<size_t>(height);
}

std::vector<int> AudioSampleRates()
{
    return {48000, 44100};
}

int AudioBufferFrames(int sampleRate)
{
    return sampleRate / 50;
}

}  // namespace cardsim
