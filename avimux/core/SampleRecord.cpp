#include "SampleRecord.h"

#include <cstring>
#include <new>

#include "Padding.h"

namespace trelvox {
namespace {

RecordPtr MakeRecord(uint32_t size, bool sync, SectorBufferPool& pool)
{
    const uint64_t length = PaddedLength(SampleChunkBytes(size), pool.Alignment());
    if (length > UINT32_MAX - pool.Alignment())
        return nullptr;
    AlignedBuffer buffer = pool.Take(static_cast<uint32_t>(length));
    if (!buffer)
        return nullptr;
    RecordPtr record(new (std::nothrow) SampleRecord);
    if (!record)
        return nullptr;
    record->size = size;
    record->sync = sync;
    record->buffer = std::move(buffer);
    return record;
}

}  // namespace

RecordPtr MakeSampleRecord(const uint8_t* data, uint32_t size, bool sync, SectorBufferPool& pool)
{
    RecordPtr record = MakeRecord(size, sync, pool);
    if (record)
        std::memcpy(record->buffer.data() + 8, data, size);
    return record;
}

RecordPtr MakeSilenceRecord(uint32_t size, SectorBufferPool& pool)
{
    RecordPtr record = MakeRecord(size, true, pool);
    if (record)
        std::memset(record->buffer.data() + 8, 0, size);
    return record;
}

RecordPtr MakeNullRun(uint32_t frames)
{
    RecordPtr record(new (std::nothrow) SampleRecord);
    if (record)
        record->frames = frames;
    return record;
}

}  // namespace trelvox
