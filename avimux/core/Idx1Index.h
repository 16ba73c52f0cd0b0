// The idx1 index of an AVI 1.0 file: one AVIINDEXENTRY per chunk in movi.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "AviStructures.h"

namespace trelvox {

struct Idx1Entry {
    uint32_t ckid = 0;
    uint32_t flags = 0;
    uint32_t offset = 0;  // from the "movi" code to the chunk header (kIdx1OffsetBias)
    uint32_t length = 0;
};

// The idx1 chunk with its header.
inline uint32_t Idx1Bytes(size_t entries)
{
    return static_cast<uint32_t>(kRiffChunkHeaderBytes + kAviIndexEntryBytes * entries);
}

// Room for `more` entries, reserved before a write so that the entries of a chunk on disk
// can always be added; grows geometrically (throws std::bad_alloc).
void ReserveEntries(std::vector<Idx1Entry>& entries, size_t more);

// I: the idx1 region padded to the sector size.
uint32_t Idx1RegionBytes(size_t entries, uint32_t sectorSize);

// Fills `out` (Idx1RegionBytes bytes, zeroed by the caller) with the idx1 chunk and its JUNK.
void BuildIdx1Region(uint8_t* out, const std::vector<Idx1Entry>& entries, uint32_t sectorSize);

}  // namespace trelvox
