#include "Idx1Index.h"

#include <algorithm>

#include "ByteOrder.h"
#include "Padding.h"

namespace trelvox {

void ReserveEntries(std::vector<Idx1Entry>& entries, size_t more)
{
    const size_t needed = entries.size() + more;
    if (needed > entries.capacity())
        entries.reserve(std::max(needed, 2 * entries.capacity()));
}

uint32_t Idx1RegionBytes(size_t entries, uint32_t sectorSize)
{
    return static_cast<uint32_t>(PaddedLength(Idx1Bytes(entries), sectorSize));
}

void BuildIdx1Region(uint8_t* out, const std::vector<Idx1Entry>& entries, uint32_t sectorSize)
{
    const uint32_t bytes = Idx1Bytes(entries.size());
    PutFourcc(out, "idx1");
    PutU32(out + 4, bytes - 8);
    uint8_t* p = out + 8;
    for (const Idx1Entry& e : entries) {
        PutU32(p, e.ckid);
        PutU32(p + 4, e.flags);
        PutU32(p + 8, e.offset);
        PutU32(p + 12, e.length);
        p += 16;
    }
    const uint32_t junk = JunkBytesAfter(bytes, sectorSize);
    if (junk != 0)
        WriteJunk(out + bytes, junk, true);
}

}  // namespace trelvox
