#include "Idx1Index.h"

#include <algorithm>

#include "ChunkIds.h"
#include "ChunkWriter.h"
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
    ChunkWriter w(out);
    const ChunkWriter::Mark idx1 = w.BeginChunk(Fourcc("idx1"));
    for (const Idx1Entry& e : entries)
        w.Put(AviIndexEntry{e.ckid, e.flags, e.offset, e.length});
    w.End(idx1);
    const uint32_t junk = JunkBytesAfter(w.Position(), sectorSize);
    if (junk != 0)
        w.PutJunk(junk, true);
}

}  // namespace trelvox
