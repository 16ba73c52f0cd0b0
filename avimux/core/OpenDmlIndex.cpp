#include "OpenDmlIndex.h"

#include <algorithm>

#include "AviStructures.h"
#include "ByteOrder.h"
#include "ChunkIds.h"

namespace trelvox {
namespace {

constexpr size_t kStdEntriesInUseAt = offsetof(AviStdIndexHeader, nEntriesInUse);
constexpr size_t kSuperEntriesInUseAt = offsetof(AviSuperIndexHeader, nEntriesInUse);

size_t StdEntryAt(uint32_t entry)
{
    return kAviStdIndexHeaderBytes + size_t{kAviStdIndexEntryBytes} * entry;
}

size_t SuperEntryAt(uint32_t entry)
{
    return kAviSuperIndexHeaderBytes + size_t{kAviSuperIndexEntryBytes} * entry;
}

}  // namespace

uint32_t IndexBlockBytes(uint32_t sectorSize)
{
    return (kIndexDataBytes + sectorSize - 1) / sectorSize * sectorSize;
}

StdIndexBlock::StdIndexBlock(uint32_t fcc, uint32_t chunkId, uint32_t blockBytes, uint64_t baseOffset)
    : base_(baseOffset),
      bytes_(kIndexDataBytes, 0)
{
    AviStdIndexHeader header{};
    header.fcc = fcc;
    header.cb = blockBytes - kRiffChunkHeaderBytes;
    header.wLongsPerEntry = LongsPerEntry<AviStdIndexEntry>();
    header.bIndexSubType = kAviIndexSubDefault;
    header.bIndexType = kAviIndexOfChunks;
    header.dwChunkId = chunkId;
    header.qwBaseOffset = baseOffset;
    Store(header, bytes_.data());
}

uint32_t StdIndexBlock::Entries() const
{
    return GetU32(&bytes_[kStdEntriesInUseAt]);
}

bool StdIndexBlock::Takes(uint32_t more, uint64_t position) const
{
    return position - base_ <= kStdIndexReach && Entries() + more <= kStdIndexCapacity;
}

void StdIndexBlock::Add(uint64_t dataOffset, uint32_t size, bool sync)
{
    const uint32_t n = Entries();
    const AviStdIndexEntry entry{static_cast<uint32_t>(dataOffset - base_),
                                 size | (sync ? 0u : kAviStdIndexDeltaFrame)};
    Store(entry, &bytes_[StdEntryAt(n)]);
    PutU32(&bytes_[kStdEntriesInUseAt], n + 1);
}

SuperIndex::SuperIndex(uint32_t chunkId, uint32_t blockBytes) : blockBytes_(blockBytes), bytes_(kIndexDataBytes, 0)
{
    AviSuperIndexHeader header{};
    header.fcc = Fourcc("indx");
    header.cb = blockBytes - kRiffChunkHeaderBytes;
    header.wLongsPerEntry = LongsPerEntry<AviSuperIndexEntry>();
    header.bIndexType = kAviIndexOfIndexes;
    header.dwChunkId = chunkId;
    Store(header, bytes_.data());
}

uint32_t SuperIndex::Entries() const
{
    return GetU32(&bytes_[kSuperEntriesInUseAt]);
}

void SuperIndex::Add(uint64_t offset)
{
    const uint32_t n = Entries();
    Store(AviSuperIndexEntry{offset, blockBytes_, 0}, &bytes_[SuperEntryAt(n)]);
    PutU32(&bytes_[kSuperEntriesInUseAt], n + 1);
}

void SuperIndex::AddDuration(uint32_t duration)
{
    uint8_t* d = &bytes_[SuperEntryAt(Entries() - 1) + offsetof(AviSuperIndexEntry, dwDuration)];
    PutU32(d, GetU32(d) + duration);
}

uint64_t SuperIndex::Offset(uint32_t entry) const
{
    return GetU64(&bytes_[SuperEntryAt(entry) + offsetof(AviSuperIndexEntry, qwOffset)]);
}

void SuperIndex::KeepFirst(uint32_t entries)
{
    const uint32_t n = Entries();
    if (entries >= n)
        return;
    std::fill(bytes_.begin() + SuperEntryAt(entries), bytes_.begin() + SuperEntryAt(n), 0);
    PutU32(&bytes_[kSuperEntriesInUseAt], entries);
}

}  // namespace trelvox
