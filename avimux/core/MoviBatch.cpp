#include "MoviBatch.h"

#include "ChunkIds.h"
#include "ChunkWriter.h"
#include "Padding.h"

namespace trelvox {
namespace {

uint64_t RecordBytes(const SampleRecord& r, uint32_t sectorSize)
{
    const uint64_t raw = r.IsNullRun() ? uint64_t{kRiffChunkHeaderBytes} * r.frames : SampleChunkBytes(r.size);
    return PaddedLength(raw, sectorSize);
}

uint32_t ChunkId(const SampleRecord& r, const BatchStream& stream)
{
    if (!stream.video)
        return stream.videoConnected ? kAudioChunkSecond : kAudioChunkOnly;
    return !r.IsNullRun() && r.sync ? kVideoKeyChunk : kVideoChunk;
}

}  // namespace

BatchSize MeasureRecord(const SampleRecord& record, uint32_t sectorSize)
{
    return {RecordBytes(record, sectorSize), record.IsNullRun() ? record.frames : 1};
}

BatchSize MeasureBatch(const std::vector<RecordPtr>& records, uint32_t sectorSize)
{
    BatchSize size;
    for (const RecordPtr& r : records) {
        const BatchSize one = MeasureRecord(*r, sectorSize);
        size.bytes += one.bytes;
        size.chunks += one.chunks;
    }
    return size;
}

bool WritesInPlace(const std::vector<RecordPtr>& records)
{
    return records.size() == 1 && !records.front()->IsNullRun();
}

BatchLayout LayOutBatch(const std::vector<RecordPtr>& records, const BatchStream& stream, uint32_t moviStart,
                        uint32_t sectorSize, bool zeroFillJunk, uint8_t* out)
{
    BatchLayout layout;
    const bool inPlace = WritesInPlace(records);
    ChunkWriter w(out);
    for (const RecordPtr& record : records) {
        const SampleRecord& r = *record;
        const uint32_t id = ChunkId(r, stream);
        if (r.IsNullRun()) {
            for (uint32_t i = 0; i < r.frames; ++i) {
                const uint32_t offset = static_cast<uint32_t>(moviStart + w.Position() + kIdx1OffsetBias);
                w.End(w.BeginChunk(id));
                layout.entries.push_back({id, 0, offset, 0});
            }
            layout.videoFrames += r.frames;
        } else {
            const uint32_t offset = static_cast<uint32_t>(moviStart + w.Position() + kIdx1OffsetBias);
            const ChunkWriter::Mark chunk = w.BeginChunk(id);
            if (inPlace) {
                w.Skip(r.size);
            } else {
                w.PutBytes(r.Payload(), r.size);
            }
            w.End(chunk);
            layout.entries.push_back({id, r.sync ? kAviIndexKeyFrame : 0, offset, r.size});
            if (stream.video) {
                layout.videoFrames += 1;
            } else {
                layout.audioBlocks += r.size / stream.blockAlign;
            }
        }
        const uint32_t junk = JunkBytesAfter(w.Position(), sectorSize);
        if (junk != 0)
            w.PutJunk(junk, zeroFillJunk);
    }
    return layout;
}

}  // namespace trelvox
