// What the playback pins read back while a recording runs: its index lists and files,
// under the file lock, which the writer holds while it writes a batch and appends the
// batch's entries. An entry goes in only after its write succeeded, so a read never
// reaches bytes that are not on disk yet.
#pragma once

#include <cstdint>
#include <mutex>

#include "AlignedBuffer.h"
#include "CommonIndex.h"

namespace trelvox {

class MuxFile;

enum class ChunkReadResult {
    Read,
    NotWritten,  // no such entry (yet)
    NullFrame,
    TooLarge,    // the data does not fit the caller's buffer
    ReadFailed,  // a failed or short read
};

struct ChunkRead {
    ChunkReadResult result = ChunkReadResult::NotWritten;
    uint64_t number = 0;  // entry number
    uint32_t length = 0;  // bytes copied out
    bool sync = false;
};

class TimeShiftSource {
public:
    std::mutex& FileLock() { return fileLock_; }
    // The lists the writers append to, under FileLock.
    CommonIndexes* Indexes() { return &indexes_; }

    // At preparation, before the writer starts: a first block for each connected stream
    // (throws std::bad_alloc).
    void Open(uint32_t sectorSize, bool video, bool audio);
    // Before the files close.
    void Close();

    // Entries written so far.
    uint64_t VideoEntries();
    uint64_t AudioEntries();

    // The data of video entry `number`.
    ChunkRead ReadVideo(uint64_t number, uint8_t* out, uint32_t capacity);
    // The data of audio entry `number`.
    ChunkRead ReadAudio(uint64_t number, uint8_t* out, uint32_t capacity);
    // The audio entry holding block `block`, its data from that block on.
    ChunkRead ReadAudioFromBlock(uint64_t block, uint32_t blockAlign, uint8_t* out, uint32_t capacity);

private:
    ChunkRead ReadEntry(const CommonIndexList& list, uint64_t number, uint8_t* out, uint32_t capacity);
    // Under fileLock_.
    ChunkRead ReadChunk(const CommonIndexEntry& entry, uint32_t skip, uint8_t* out, uint32_t capacity);

    std::mutex fileLock_;
    CommonIndexes indexes_;
    uint32_t sectorSize_ = 0;
    AlignedBuffer readBuffer_;  // reused by every read, under fileLock_
};

}  // namespace trelvox
