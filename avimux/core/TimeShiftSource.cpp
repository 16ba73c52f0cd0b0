#include "TimeShiftSource.h"

#include <cstring>

#include "MuxFile.h"

namespace trelvox {
namespace {

uint64_t AlignDown(uint64_t value, uint32_t sector)
{
    return value / sector * sector;
}
uint64_t AlignUp(uint64_t value, uint32_t sector)
{
    return (value + sector - 1) / sector * sector;
}

constexpr uint32_t kChunkHeaderBytes = 8;

}  // namespace

void TimeShiftSource::Open(uint32_t sectorSize, bool video, bool audio)
{
    std::lock_guard<std::mutex> lock(fileLock_);
    sectorSize_ = sectorSize;
    indexes_.video.Clear();
    indexes_.audio.Clear();
    if (video)
        indexes_.video.Start();
    if (audio)
        indexes_.audio.Start();
}

void TimeShiftSource::Close()
{
    std::lock_guard<std::mutex> lock(fileLock_);
    indexes_.video.Clear();
    indexes_.audio.Clear();
    readBuffer_ = AlignedBuffer();
}

uint64_t TimeShiftSource::VideoEntries()
{
    std::lock_guard<std::mutex> lock(fileLock_);
    return indexes_.video.Entries();
}

uint64_t TimeShiftSource::AudioEntries()
{
    std::lock_guard<std::mutex> lock(fileLock_);
    return indexes_.audio.Entries();
}

ChunkRead TimeShiftSource::ReadVideo(uint64_t number, uint8_t* out, uint32_t capacity)
{
    return ReadEntry(indexes_.video, number, out, capacity);
}

ChunkRead TimeShiftSource::ReadAudio(uint64_t number, uint8_t* out, uint32_t capacity)
{
    return ReadEntry(indexes_.audio, number, out, capacity);
}

ChunkRead TimeShiftSource::ReadEntry(const CommonIndexList& list, uint64_t number, uint8_t* out, uint32_t capacity)
{
    std::lock_guard<std::mutex> lock(fileLock_);
    const std::optional<CommonIndexEntry> entry = list.Entry(number);
    if (!entry)
        return {};
    ChunkRead read = ReadChunk(*entry, 0, out, capacity);
    read.number = number;
    return read;
}

ChunkRead TimeShiftSource::ReadAudioFromBlock(uint64_t block, uint32_t blockAlign, uint8_t* out, uint32_t capacity)
{
    std::lock_guard<std::mutex> lock(fileLock_);
    const std::optional<AudioChunkAt> at = indexes_.audio.FindAudioBlock(block);
    if (!at)
        return {};
    const uint64_t skip = (block - at->blocksBefore) * blockAlign;
    ChunkRead read = ReadChunk(at->entry, static_cast<uint32_t>(skip), out, capacity);
    read.number = at->number;
    return read;
}

ChunkRead TimeShiftSource::ReadChunk(const CommonIndexEntry& entry, uint32_t skip, uint8_t* out, uint32_t capacity)
{
    ChunkRead read;
    read.sync = entry.sync != 0;
    if (entry.size == 0) {
        read.result = ChunkReadResult::NullFrame;
        return read;
    }
    if (skip >= entry.size || entry.size - skip > capacity) {
        read.result = ChunkReadResult::TooLarge;
        return read;
    }
    MuxFile* file = entry.file;
    // The chunk and the padding after it, whole sectors, as written in one piece.
    const uint64_t first = AlignDown(entry.offset, sectorSize_);
    const uint64_t end = AlignUp(entry.offset + kChunkHeaderBytes + entry.size, sectorSize_);
    const uint64_t length = end - first;
    if (!file || length > UINT32_MAX) {
        read.result = ChunkReadResult::ReadFailed;
        return read;
    }
    if (readBuffer_.capacity() < length) {
        readBuffer_ = AlignedBuffer();
        readBuffer_ = AlignedBuffer::Allocate(static_cast<uint32_t>(length), sectorSize_, false);
    }
    uint32_t got = 0;
    if (!readBuffer_ || Failed(file->Read(first, readBuffer_.data(), static_cast<uint32_t>(length), &got)) ||
        got != length) {
        read.result = ChunkReadResult::ReadFailed;
        return read;
    }
    const uint8_t* data = readBuffer_.data() + (entry.offset - first) + kChunkHeaderBytes;
    read.length = entry.size - skip;
    std::memcpy(out, data + skip, read.length);
    read.result = ChunkReadResult::Read;
    return read;
}

}  // namespace trelvox
