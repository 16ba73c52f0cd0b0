// One queued video or audio sample, or one run of null frames.
#pragma once

#include <cstdint>
#include <memory>

#include "AlignedBuffer.h"
#include "SectorBufferPool.h"

namespace trelvox {

struct SampleRecord {
    uint32_t size = 0;     // data bytes; 0 for a null run
    bool sync = false;     // key frame
    uint32_t frames = 1;   // 1 for a sample, k for a run of k null frames
    AlignedBuffer buffer;  // sector-aligned; the data starts 8 bytes in; empty for a null run

    bool IsNullRun() const { return !buffer; }
    const uint8_t* Payload() const { return buffer.data() + 8; }
};

using RecordPtr = std::shared_ptr<SampleRecord>;

// A sample record holding a copy of `data`, in a buffer from `pool` large enough to be
// written as its own padded chunk. Null when the memory cannot be had.
RecordPtr MakeSampleRecord(const uint8_t* data, uint32_t size, bool sync, SectorBufferPool& pool);
// A sample record of `size` zero bytes (audio silence).
RecordPtr MakeSilenceRecord(uint32_t size, SectorBufferPool& pool);
RecordPtr MakeNullRun(uint32_t frames);

}  // namespace trelvox
