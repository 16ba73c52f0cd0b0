// Sector padding: every region and chunk run is filled up to the next sector boundary
// with one JUNK chunk, a whole extra sector when fewer than 8 bytes would remain.
#pragma once

#include <cstdint>

#include "AviStructures.h"

namespace trelvox {

// Bytes of JUNK that follow a length of `length` (0 when already a multiple of S).
uint32_t JunkBytesAfter(uint64_t length, uint32_t sectorSize);

inline uint64_t PaddedLength(uint64_t length, uint32_t sectorSize)
{
    return length + JunkBytesAfter(length, sectorSize);
}

// Writes a JUNK chunk of `junkBytes` (header included) at `at`; the payload is zeroed
// only when asked.
void WriteJunk(uint8_t* at, uint32_t junkBytes, bool zeroFill);

// Bytes a chunk (a sample's or any other) of n data bytes takes: header, data and the
// pad byte of odd sizes.
inline uint64_t SampleChunkBytes(uint32_t n)
{
    return uint64_t{kRiffChunkHeaderBytes} + n + (n & 1u);
}

}  // namespace trelvox
