#include "ChunkWriter.h"

#include <cstring>

#include "ByteOrder.h"
#include "ChunkIds.h"
#include "Padding.h"

namespace trelvox {

uint8_t* ChunkWriter::Take(size_t length)
{
    uint8_t* p = out_ + at_;
    at_ += length;
    return p;
}

ChunkWriter::Mark ChunkWriter::BeginChunk(uint32_t ckid)
{
    const Mark start = at_;
    Put(RiffChunkHeader{ckid, 0});
    return start;
}

ChunkWriter::Mark ChunkWriter::BeginList(uint32_t listType)
{
    const Mark start = at_;
    Put(RiffListHeader{Fourcc("LIST"), 0, listType});
    return start;
}

void ChunkWriter::End(Mark start)
{
    PutU32(out_ + start + offsetof(RiffChunkHeader, cb), static_cast<uint32_t>(at_ - start - kRiffChunkHeaderBytes));
    if (at_ & 1u)
        *Take(1) = 0;
}

void ChunkWriter::PutListHeader(uint32_t ckid, uint32_t cb, uint32_t listType)
{
    Put(RiffListHeader{ckid, cb, listType});
}

void ChunkWriter::PutBytes(const uint8_t* data, size_t length)
{
    std::memcpy(Take(length), data, length);
}

void ChunkWriter::Skip(size_t length)
{
    Take(length);
}

void ChunkWriter::PutJunk(uint32_t bytes, bool zeroFill)
{
    WriteJunk(Take(bytes), bytes, zeroFill);
}

}  // namespace trelvox
