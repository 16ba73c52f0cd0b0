#include "OpenDmlIndex.h"

#include <algorithm>

#include "ByteOrder.h"

namespace trelvox {

uint32_t IndexBlockBytes(uint32_t sectorSize)
{
    return (kIndexDataBytes + sectorSize - 1) / sectorSize * sectorSize;
}

StdIndexBlock::StdIndexBlock(uint32_t fcc, uint32_t chunkId, uint32_t blockBytes, uint64_t baseOffset)
    : base_(baseOffset),
      bytes_(kIndexDataBytes, 0)
{
    uint8_t* p = bytes_.data();
    PutU32(p, fcc);
    PutU32(p + 4, blockBytes - 8);
    PutU16(p + 8, 2);  // longs per entry
    p[10] = 0;         // sub-type
    p[11] = 1;         // index of chunks
    PutU32(p + 16, chunkId);
    PutU64(p + 20, baseOffset);
}

uint32_t StdIndexBlock::Entries() const
{
    return GetU32(&bytes_[12]);
}

bool StdIndexBlock::Takes(uint32_t more, uint64_t position) const
{
    return position - base_ <= kStdIndexReach && Entries() + more <= kStdIndexCapacity;
}

void StdIndexBlock::Add(uint64_t dataOffset, uint32_t size, bool sync)
{
    const uint32_t n = Entries();
    uint8_t* e = &bytes_[32 + 8 * n];
    PutU32(e, static_cast<uint32_t>(dataOffset - base_));
    PutU32(e + 4, size | (sync ? 0u : 0x80000000u));
    PutU32(&bytes_[12], n + 1);
}

SuperIndex::SuperIndex(uint32_t chunkId, uint32_t blockBytes) : blockBytes_(blockBytes), bytes_(kIndexDataBytes, 0)
{
    uint8_t* p = bytes_.data();
    PutFourcc(p, "indx");
    PutU32(p + 4, blockBytes - 8);
    PutU16(p + 8, 4);  // longs per entry
    p[11] = 0;         // index of indexes
    PutU32(p + 16, chunkId);
}

uint32_t SuperIndex::Entries() const
{
    return GetU32(&bytes_[12]);
}

void SuperIndex::Add(uint64_t offset)
{
    const uint32_t n = Entries();
    uint8_t* e = &bytes_[32 + 16 * n];
    PutU64(e, offset);
    PutU32(e + 8, blockBytes_);
    PutU32(&bytes_[12], n + 1);
}

void SuperIndex::AddDuration(uint32_t duration)
{
    uint8_t* e = &bytes_[32 + 16 * (Entries() - 1) + 12];
    PutU32(e, GetU32(e) + duration);
}

uint64_t SuperIndex::Offset(uint32_t entry) const
{
    return GetU64(&bytes_[32 + 16 * entry]);
}

void SuperIndex::KeepFirst(uint32_t entries)
{
    const uint32_t n = Entries();
    if (entries >= n)
        return;
    std::fill(bytes_.begin() + 32 + 16 * entries, bytes_.begin() + 32 + 16 * n, 0);
    PutU32(&bytes_[12], entries);
}

}  // namespace trelvox
