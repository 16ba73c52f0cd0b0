// One batch of one stream laid out as movi chunks: each sample or null run followed by
// JUNK up to the next sector boundary, with the idx1 entries of its chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Idx1Index.h"
#include "SampleRecord.h"

namespace trelvox {

struct BatchStream {
    bool video = true;
    bool videoConnected = true;  // audio is stream 1 beside video, else stream 0
    uint32_t blockAlign = 1;     // audio only
};

// Bytes the batch takes in movi, and its number of chunks.
struct BatchSize {
    uint64_t bytes = 0;
    uint32_t chunks = 0;
};
BatchSize MeasureRecord(const SampleRecord& record, uint32_t sectorSize);
BatchSize MeasureBatch(const std::vector<RecordPtr>& records, uint32_t sectorSize);

struct BatchLayout {
    std::vector<Idx1Entry> entries;
    uint32_t videoFrames = 0;
    uint32_t audioBlocks = 0;
};

// Idle buffers a writer keeps for batches that are not written in place: one per stream.
constexpr size_t kIdleBatchBuffers = 2;

// True when the batch can be written straight from its one sample's own buffer.
bool WritesInPlace(const std::vector<RecordPtr>& records);

// Lays the batch out at `out` (the sample's own buffer when WritesInPlace, else a buffer
// of MeasureBatch bytes); `moviStart` is the file's moviBytes before the batch.
BatchLayout LayOutBatch(const std::vector<RecordPtr>& records, const BatchStream& stream, uint32_t moviStart,
                        uint32_t sectorSize, bool zeroFillJunk, uint8_t* out);

}  // namespace trelvox
