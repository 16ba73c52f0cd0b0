#include "Padding.h"

#include <cstring>

#include "AviStructures.h"
#include "ChunkIds.h"

namespace trelvox {

uint32_t JunkBytesAfter(uint64_t length, uint32_t sectorSize)
{
    const uint32_t rest = static_cast<uint32_t>(length % sectorSize);
    if (rest == 0)
        return 0;
    const uint32_t junk = sectorSize - rest;
    return junk < kRiffChunkHeaderBytes ? junk + sectorSize : junk;
}

void WriteJunk(uint8_t* at, uint32_t junkBytes, bool zeroFill)
{
    Store(RiffChunkHeader{Fourcc("JUNK"), junkBytes - kRiffChunkHeaderBytes}, at);
    if (zeroFill)
        std::memset(at + kRiffChunkHeaderBytes, 0, junkBytes - kRiffChunkHeaderBytes);
}

}  // namespace trelvox
