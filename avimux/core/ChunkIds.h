// Four-character codes of the AVI 1.0 chunks.
#pragma once

#include <cstdint>

#include "AviStructures.h"  // the idx1 flags that go with these ids

namespace trelvox {

constexpr uint32_t Fourcc(const char (&code)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24);
}

constexpr uint32_t kVideoKeyChunk = Fourcc("00db");
constexpr uint32_t kVideoChunk = Fourcc("00dc");        // also null frames
constexpr uint32_t kAudioChunkSecond = Fourcc("01wb");  // audio beside video
constexpr uint32_t kAudioChunkOnly = Fourcc("00wb");    // audio without video

}  // namespace trelvox
