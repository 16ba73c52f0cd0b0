// The playback index: one entry per chunk written (null frames included), per stream,
// in write order, in blocks of 4,096 entries. Reading back finds a video chunk by its
// number and an audio chunk by an audio block it holds.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Idx1Index.h"

namespace trelvox {

class MuxFile;

struct CommonIndexEntry {
    uint64_t offset = 0;      // of the chunk header, from the start of its file
    uint32_t size = 0;        // data bytes; 0 for a null frame
    MuxFile* file = nullptr;  // the file the chunk went to (one of an AVI 1.0 set, or the OpenDML file)
    uint32_t count = 0;       // 1 for a video chunk; audio blocks for an audio chunk
    uint32_t sync = 0;        // the sample's sync flag
};

constexpr uint32_t kCommonIndexBlockEntries = 4096;

struct CommonIndexBlock {
    CommonIndexEntry entries[kCommonIndexBlockEntries];
    uint32_t total = 0;  // sum of the count fields
    uint32_t used = 0;   // full at kCommonIndexBlockEntries
};

// The entry whose audio blocks cover a given block number.
struct AudioChunkAt {
    uint64_t number = 0;        // entry number in the list
    uint64_t blocksBefore = 0;  // audio blocks of all earlier entries
    CommonIndexEntry entry;
};

class CommonIndexList {
public:
    // Empties the list and allocates its first block (throws std::bad_alloc).
    void Start();
    void Clear();

    // False when no memory for a new block can be had; the list then takes no further
    // entries, so that the numbers of those it holds stay right.
    bool Append(const CommonIndexEntry& entry);

    uint64_t Entries() const;
    std::optional<CommonIndexEntry> Entry(uint64_t number) const;
    std::optional<AudioChunkAt> FindAudioBlock(uint64_t block) const;
    size_t Blocks() const { return blocks_.size(); }

private:
    std::vector<std::unique_ptr<CommonIndexBlock>> blocks_;
    bool closed_ = false;
};

// COMMONINDEX_V and COMMONINDEX_A of one recording.
struct CommonIndexes {
    CommonIndexList video, audio;

    CommonIndexList& List(bool videoStream) { return videoStream ? video : audio; }
};

// One entry per chunk of a batch whose write has succeeded. `moviData`: the file offset
// where the movi data begins (idx1 offsets count from the "movi" code 4 bytes before);
// `blockAlign` 0 for video.
void AppendWrittenChunks(CommonIndexList& list, const std::vector<Idx1Entry>& chunks, uint64_t moviData, MuxFile* file,
                         uint32_t blockAlign);

}  // namespace trelvox
