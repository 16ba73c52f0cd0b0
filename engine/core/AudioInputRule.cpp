#include "AudioInputRule.h"

#include <cstddef>

namespace engine {
namespace {

constexpr long kFirstAudioType = 0x1000;  // PhysConn_Audio_Tuner
constexpr long kLastAudioType = 0x1009;   // PhysConn_Audio_AudioDecoder

}  // namespace

int AudioInputPosition(const std::vector<long>& inputPhysicalTypes, int index)
{
    int audioSeen = 0;
    for (std::size_t j = 0; j < inputPhysicalTypes.size(); ++j) {
        if (audioSeen == index)
            return static_cast<int>(j);
        const long type = inputPhysicalTypes[j];
        if (type >= kFirstAudioType && type <= kLastAudioType)
            ++audioSeen;
    }
    return -1;
}

}  // namespace engine
