#include "RecordingRebuild.h"

#include <memory>
#include <new>
#include <vector>

#include "Avi1FileSet.h"
#include "Avi2Writer.h"
#include "AviStructures.h"
#include "OpenDmlIndex.h"

namespace trelvox::recover {
namespace {

constexpr uint64_t kBatchBytes = 4u << 20;

// The one file of a set of one, under the name asked for.
class OneFileSystem : public MuxFileSystem {
public:
    OneFileSystem(MuxFileSystem& inner, std::string path) : inner_(inner), path_(std::move(path)) {}
    HResult SectorSize(const std::string&, uint32_t* bytes) override { return inner_.SectorSize(path_, bytes); }
    HResult Create(const std::string&, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override
    {
        return inner_.Create(path_, mode, file, existed);
    }
    HResult Delete(const std::string&) override { return inner_.Delete(path_); }

private:
    MuxFileSystem& inner_;
    std::string path_;
};

// Consecutive chunks of one stream, read back and handed over as batches.
class BatchReader {
public:
    BatchReader(InputFile& in, const RecordingScan& scan)
        : in_(in),
          scan_(scan),
          pool_(SectorBufferPool::Create(scan.sectorSize, 4))
    {
    }

    // The next batch and its stream; false at the end. `failure` is set on a read error.
    bool Next(StreamKind* stream, std::vector<RecordPtr>* records, HResult* failure)
    {
        records->clear();
        if (next_ >= scan_.chunks.size())
            return false;
        *stream = scan_.chunks[next_].stream;
        uint64_t bytes = 0;
        uint32_t chunks = 0;
        while (next_ < scan_.chunks.size() && scan_.chunks[next_].stream == *stream && bytes < kBatchBytes &&
               chunks < kStdIndexCapacity) {
            const ScannedChunk& c = scan_.chunks[next_++];
            ++chunks;
            bytes += c.size;
            if (c.size == 0) {
                AddNullFrame(records);
                continue;
            }
            data_.resize(c.size);
            if (!in_.Read(c.offset + kRiffChunkHeaderBytes, c.size, data_.data()))
                return *failure = kE_FAIL, true;
            RecordPtr record = MakeSampleRecord(data_.data(), c.size, c.key, *pool_);
            if (!record)
                return *failure = kE_OUTOFMEMORY, true;
            records->push_back(std::move(record));
        }
        return true;
    }

private:
    static void AddNullFrame(std::vector<RecordPtr>* records)
    {
        if (!records->empty() && records->back()->IsNullRun()) {
            ++records->back()->frames;
            return;
        }
        RecordPtr run = MakeNullRun(1);
        if (!run)
            throw std::bad_alloc();
        records->push_back(std::move(run));
    }

    InputFile& in_;
    const RecordingScan& scan_;
    std::shared_ptr<SectorBufferPool> pool_;
    std::vector<uint8_t> data_;
    size_t next_ = 0;
};

uint64_t ChunkBytes(const RecordingScan& scan)
{
    uint64_t bytes = 0;
    for (const ScannedChunk& c : scan.chunks)
        bytes += c.size;
    return bytes;
}

// Reads the recording's batches in order and hands each to the writer, until the end,
// a read failure, a write failure or the progress callback's stop.
template <typename Append>
HResult CopyBatches(InputFile& in, const RecordingScan& scan, const RebuildProgress& progress, Append append)
{
    BatchReader reader(in, scan);
    StreamKind stream;
    std::vector<RecordPtr> records;
    const uint64_t total = ChunkBytes(scan);
    uint64_t done = 0;
    HResult hr = kS_OK;
    while (Succeeded(hr) && reader.Next(&stream, &records, &hr)) {
        if (Failed(hr))
            break;
        for (const RecordPtr& record : records)
            done += record->size;
        hr = append(stream, records);
        if (Succeeded(hr) && progress && !progress(done, total))
            hr = kE_ABORT;
    }
    return hr;
}

HResult RebuildAvi1(InputFile& in, const RecordingScan& scan, MuxFileSystem& fs, const std::string& outPath,
                    const RebuildProgress& progress)
{
    OneFileSystem one(fs, outPath);
    Avi1SetLayout layout;
    layout.sectorSize = scan.sectorSize;
    layout.headerSize = scan.headerSize;
    layout.inputs = scan.inputs;
    layout.run = scan.run;
    Avi1FileSet set;
    HResult hr = set.Create(one, outPath, 1, CreateMode::CreateAlways, layout);
    if (Failed(hr))
        return hr;
    const uint16_t blockAlign = scan.inputs.audio ? scan.inputs.audio->BlockAlign() : 1;
    hr = CopyBatches(in, scan, progress, [&](StreamKind stream, std::vector<RecordPtr>& records) {
        const BatchStream kind{stream == StreamKind::Video, scan.inputs.video.has_value(), blockAlign};
        return set.AppendBatch(0, records, kind, true);
    });
    if (Succeeded(hr))
        hr = set.Finish(scan.inputs, scan.run, 0, 0);
    if (Failed(hr)) {
        set.Discard();
    } else {
        set.Release();
    }
    return hr;
}

HResult RebuildOpenDml(InputFile& in, const RecordingScan& scan, MuxFileSystem& fs, const std::string& outPath,
                       const RebuildProgress& progress)
{
    Avi2Layout layout;
    layout.sectorSize = scan.sectorSize;
    layout.inputs = scan.inputs;
    layout.run = scan.run;
    Avi2Writer writer;
    HResult hr = writer.Create(fs, outPath, CreateMode::CreateAlways, layout);
    if (Failed(hr))
        return hr;
    hr = CopyBatches(in, scan, progress,
                     [&](StreamKind stream, std::vector<RecordPtr>& records) { return writer.Write(stream, records); });
    if (Succeeded(hr))
        hr = writer.Finish(scan.inputs, scan.run, 0, 0);
    if (Failed(hr)) {
        writer.Discard();
    } else {
        writer.Close();
    }
    return hr;
}

}  // namespace

HResult RebuildRecording(InputFile& in, const RecordingScan& scan, MuxFileSystem& fs, const std::string& outPath,
                         const RebuildProgress& progress)
{
    try {
        return scan.openDml ? RebuildOpenDml(in, scan, fs, outPath, progress)
                            : RebuildAvi1(in, scan, fs, outPath, progress);
    } catch (const std::bad_alloc&) {
        fs.Delete(outPath);
        return kE_OUTOFMEMORY;
    }
}

}  // namespace trelvox::recover
