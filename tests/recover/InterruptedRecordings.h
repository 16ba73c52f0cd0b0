// Recordings left as the writer had them when the process ended: provisional header,
// chunks, no indexes.
#pragma once

#include <cstdint>
#include <vector>

#include "MemoryFileSystem.h"

namespace trelvox::test {

// rec000.avi of a set of 3: 20 pictures of 64 x 32 with a gap of 3 null frames, and audio.
std::vector<uint8_t> InterruptedAvi1(MemoryFileSystem& memory);
// An OpenDML recording with RIFFs of 1 MiB and a second standard index: 40 pictures of
// 160 x 120, 4,100 null frames after the 21st, and audio.
std::vector<uint8_t> InterruptedOpenDml();

}  // namespace trelvox::test
