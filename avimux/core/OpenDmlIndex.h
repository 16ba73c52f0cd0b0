// OpenDML two-level indexes: standard index blocks ("ix##") listing chunks, and one
// super index ("indx") per stream listing the standard index chunks.
#pragma once

#include <cstdint>
#include <vector>

#include "AviStructures.h"

namespace trelvox {

constexpr uint32_t kIndexDataBytes = 0x7E00;
constexpr uint32_t kStdIndexCapacity = (kIndexDataBytes - kAviStdIndexHeaderBytes) / kAviStdIndexEntryBytes;
constexpr uint32_t kSuperIndexCapacity = (kIndexDataBytes - kAviSuperIndexHeaderBytes) / kAviSuperIndexEntryBytes;
static_assert(kStdIndexCapacity == 4028 && kSuperIndexCapacity == 2014);
constexpr uint64_t kStdIndexReach = 0x80000000ull;

// X: 0x7E00 rounded up to the sector size.
uint32_t IndexBlockBytes(uint32_t sectorSize);

class StdIndexBlock {
public:
    StdIndexBlock(uint32_t fcc, uint32_t chunkId, uint32_t blockBytes, uint64_t baseOffset);

    uint64_t BaseOffset() const { return base_; }
    uint32_t Entries() const;
    // True when `more` entries fit and a chunk at `position` is within reach of the base.
    bool Takes(uint32_t more, uint64_t position) const;
    void Add(uint64_t dataOffset, uint32_t size, bool sync);
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    uint64_t base_;
    std::vector<uint8_t> bytes_;  // 0x7E00 bytes of data
};

class SuperIndex {
public:
    SuperIndex(uint32_t chunkId, uint32_t blockBytes);

    uint32_t Entries() const;
    bool Full() const { return Entries() >= kSuperIndexCapacity; }
    void Add(uint64_t offset);
    void AddDuration(uint32_t duration);  // to the last entry
    void KeepFirst(uint32_t entries);     // drops the later entries
    uint64_t Offset(uint32_t entry) const;
    const uint8_t* Data() const { return bytes_.data(); }

private:
    uint32_t blockBytes_;
    std::vector<uint8_t> bytes_;
};

}  // namespace trelvox
