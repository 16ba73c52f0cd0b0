#include "Padding.h"

#include <cstring>

#include "ByteOrder.h"

namespace trelvox {

uint32_t JunkBytesAfter(uint64_t length, uint32_t sectorSize)
{
    const uint32_t rest = static_cast<uint32_t>(length % sectorSize);
    if (rest == 0)
        return 0;
    const uint32_t junk = sectorSize - rest;
    return junk < 8 ? junk + sectorSize : junk;
}

void WriteJunk(uint8_t* at, uint32_t junkBytes, bool zeroFill)
{
    PutFourcc(at, "JUNK");
    PutU32(at + 4, junkBytes - 8);
    if (zeroFill)
        std::memset(at + 8, 0, junkBytes - 8);
}

}  // namespace trelvox
