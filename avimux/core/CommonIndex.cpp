#include "CommonIndex.h"

#include <new>

#include "ChunkIds.h"

namespace trelvox {

void CommonIndexList::Start()
{
    Clear();
    blocks_.push_back(std::make_unique<CommonIndexBlock>());
}

void CommonIndexList::Clear()
{
    blocks_.clear();
    closed_ = false;
}

bool CommonIndexList::Append(const CommonIndexEntry& entry)
{
    if (closed_)
        return false;
    if (blocks_.empty() || blocks_.back()->used == kCommonIndexBlockEntries) {
        std::unique_ptr<CommonIndexBlock> block(new (std::nothrow) CommonIndexBlock);
        if (!block) {
            closed_ = true;
            return false;
        }
        try {
            blocks_.push_back(std::move(block));
        } catch (const std::bad_alloc&) {
            closed_ = true;
            return false;
        }
    }
    CommonIndexBlock& last = *blocks_.back();
    last.entries[last.used++] = entry;
    last.total += entry.count;
    return true;
}

uint64_t CommonIndexList::Entries() const
{
    uint64_t entries = 0;
    for (const auto& block : blocks_)
        entries += block->used;
    return entries;
}

std::optional<CommonIndexEntry> CommonIndexList::Entry(uint64_t number) const
{
    for (const auto& block : blocks_) {
        if (number < block->used)
            return block->entries[number];
        number -= block->used;
    }
    return std::nullopt;
}

std::optional<AudioChunkAt> CommonIndexList::FindAudioBlock(uint64_t block) const
{
    uint64_t entriesBefore = 0, blocksBefore = 0;
    for (const auto& b : blocks_) {
        if (block >= blocksBefore + b->total) {
            blocksBefore += b->total;
            entriesBefore += b->used;
            continue;
        }
        for (uint32_t i = 0; i < b->used; ++i) {
            const CommonIndexEntry& e = b->entries[i];
            if (block < blocksBefore + e.count)
                return AudioChunkAt{entriesBefore + i, blocksBefore, e};
            blocksBefore += e.count;
        }
    }
    return std::nullopt;
}

void AppendWrittenChunks(CommonIndexList& list, const std::vector<Idx1Entry>& chunks, uint64_t moviData, MuxFile* file,
                         uint32_t blockAlign)
{
    for (const Idx1Entry& chunk : chunks) {
        CommonIndexEntry entry;
        entry.offset = moviData + chunk.offset - kIdx1OffsetBias;
        entry.size = chunk.length;
        entry.file = file;
        entry.count = blockAlign == 0 ? 1 : chunk.length / blockAlign;
        entry.sync = (chunk.flags & kAviIndexKeyFrame) != 0 ? 1 : 0;
        if (!list.Append(entry))
            return;
    }
}

}  // namespace trelvox
