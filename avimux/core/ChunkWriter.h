// Writes RIFF chunks and lists into a buffer front to back: a chunk is opened, filled
// and closed, and closing it writes its size and pads it to an even length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AviStructures.h"

namespace trelvox {

class ChunkWriter {
public:
    // Where an open chunk or list begins, for End.
    using Mark = size_t;

    explicit ChunkWriter(uint8_t* out) : out_(out) {}

    size_t Position() const { return at_; }

    Mark BeginChunk(uint32_t ckid);
    Mark BeginList(uint32_t listType);
    // The size counts the data without the pad byte, which follows when it is odd.
    void End(Mark start);

    // A "RIFF" or "LIST" header whose size is given: its data lies beyond the buffer, or
    // the size is not the one End would count.
    void PutListHeader(uint32_t ckid, uint32_t cb, uint32_t listType);
    // A whole chunk holding one structure.
    template <typename Data>
    void PutChunk(uint32_t ckid, const Data& data)
    {
        const Mark start = BeginChunk(ckid);
        Put(data);
        End(start);
    }
    template <typename Data>
    void Put(const Data& data)
    {
        Store(data, Take(sizeof(Data)));
    }
    void PutBytes(const uint8_t* data, size_t length);
    // Bytes left as they are: zero in a zeroed buffer, or data already in place.
    void Skip(size_t length);
    // A JUNK chunk of `bytes` in all, header included.
    void PutJunk(uint32_t bytes, bool zeroFill);

private:
    uint8_t* Take(size_t length);

    uint8_t* out_;
    size_t at_ = 0;
};

}  // namespace trelvox
