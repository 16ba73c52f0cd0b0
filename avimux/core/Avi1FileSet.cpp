#include "Avi1FileSet.h"

#include "AlignedBuffer.h"
#include "FileNaming.h"
#include "Padding.h"

namespace trelvox {

HResult Avi1FileSet::Create(MuxFileSystem& fs, const std::string& baseName, uint32_t count, CreateMode mode,
                            const Avi1SetLayout& layout)
{
    fs_ = &fs;
    layout_ = layout;
    batchBuffers_ = SectorBufferPool::Create(layout.sectorSize, kIdleBatchBuffers);
    files_.clear();
    files_.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        Avi1File file;
        file.name = SetFileName(baseName, i);
        const HResult hr = fs.Create(file.name, mode, &file.handle, &file.existed);
        if (Failed(hr))
            return Abort(hr);
        files_.push_back(std::move(file));
    }
    const HResult hr = BeginFile(0);
    return Failed(hr) ? Abort(hr) : hr;
}

HResult Avi1FileSet::Abort(HResult hr)
{
    // Only files this recording made go; one that was there before keeps its content.
    for (Avi1File& made : files_)
        made.used = made.existed;
    CloseAndDelete(true);
    return hr;
}

HResult Avi1FileSet::WriteRegion(Avi1File& file, uint64_t offset, uint32_t length,
                                 const std::function<void(uint8_t*)>& build)
{
    AlignedBuffer buffer = AlignedBuffer::Allocate(length, layout_.sectorSize, true);
    if (!buffer)
        return kE_OUTOFMEMORY;
    build(buffer.data());
    return file.handle->Write(offset, buffer.data(), length);
}

// A file counts as used only once its header is there: one the disk had no room for is
// deleted at stop like the files never reached.
HResult Avi1FileSet::BeginFile(size_t index)
{
    Avi1File& file = files_[index];
    // A file of an earlier take loses that take's chunks: an unfinished recording must
    // never seem to go on into them.
    if (file.existed) {
        const HResult cut = file.handle->SetEnd(0);
        if (Failed(cut))
            return cut;
    }
    const HResult hr = WriteProvisionalHeader(file);
    if (Succeeded(hr))
        file.used = true;
    return hr;
}

HResult Avi1FileSet::WriteProvisionalHeader(Avi1File& file)
{
    AviFileFigures figures;
    figures.headerSize = layout_.headerSize;
    figures.openEnded = true;
    return WriteRegion(file, 0, layout_.headerSize,
                       [&](uint8_t* out) { BuildAviHeader(out, layout_.inputs, layout_.run, figures); });
}

HResult Avi1FileSet::SetFrameDuration(int64_t frameDuration)
{
    layout_.run.frameDuration = frameDuration;
    for (Avi1File& file : files_) {
        if (!file.used)
            continue;
        const HResult hr = WriteProvisionalHeader(file);
        if (Failed(hr))
            return hr;
    }
    return kS_OK;
}

HResult Avi1FileSet::CloseFull(size_t index)
{
    const Avi1File& file = files_[index];
    const uint64_t end =
        PaddedLength(static_cast<uint64_t>(layout_.headerSize) + file.moviBytes + file.idx1Bytes, layout_.sectorSize);
    return file.handle->SetEnd(end);
}

HResult Avi1FileSet::AppendBatch(size_t index, const std::vector<RecordPtr>& records, const BatchStream& stream,
                                 bool zeroFillJunk)
{
    Avi1File& file = files_[index];
    const BatchSize size = MeasureBatch(records, layout_.sectorSize);
    if (size.bytes > UINT32_MAX - layout_.sectorSize)
        return kE_OUTOFMEMORY;
    const uint32_t bytes = static_cast<uint32_t>(size.bytes);
    AlignedBuffer assembled;
    uint8_t* out;
    if (WritesInPlace(records)) {
        out = records.front()->buffer.data();
    } else {
        assembled = batchBuffers_->Take(bytes);
        if (!assembled)
            return kE_OUTOFMEMORY;
        out = assembled.data();
    }
    BatchLayout layout = LayOutBatch(records, stream, file.moviBytes, layout_.sectorSize, zeroFillJunk, out);
    ReserveEntries(file.entries, layout.entries.size());  // nothing below may fail once written
    const HResult hr = file.handle->Write(static_cast<uint64_t>(layout_.headerSize) + file.moviBytes, out, bytes);
    if (Failed(hr))
        return hr;
    if (layout_.playbackIndex) {
        AppendWrittenChunks(layout_.playbackIndex->List(stream.video), layout.entries, layout_.headerSize,
                            file.handle.get(), stream.video ? 0 : stream.blockAlign);
    }
    file.moviBytes += bytes;
    file.idx1Bytes += kAviIndexEntryBytes * static_cast<uint32_t>(layout.entries.size());
    file.videoFrames += layout.videoFrames;
    file.audioBlocks += layout.audioBlocks;
    file.entries.insert(file.entries.end(), layout.entries.begin(), layout.entries.end());
    return kS_OK;
}

// Each file gets its idx1 first and its header last, so that the header describes what
// is there: on a full disk the idx1 of the last file needs new space and may not come.
HResult Avi1FileSet::Finish(const MuxInputs& inputs, const AviRunFigures& run, uint32_t videoStart, uint32_t audioStart)
{
    HResult first = kS_OK;
    for (size_t i = 0; i < files_.size(); ++i) {
        // A later file that got no chunk (the disk filled as it began) is deleted.
        if (i > 0 && files_[i].moviBytes == 0)
            files_[i].used = false;
        if (!files_[i].used)
            continue;
        const HResult hr = FinishFile(files_[i], inputs, run, i == 0 ? videoStart : 0, i == 0 ? audioStart : 0);
        if (Succeeded(first))
            first = hr;
    }
    return first;
}

HResult Avi1FileSet::FinishFile(Avi1File& file, const MuxInputs& inputs, const AviRunFigures& run, uint32_t videoStart,
                                uint32_t audioStart)
{
    AviFileFigures figures;
    figures.headerSize = layout_.headerSize;
    figures.moviBytes = file.moviBytes;
    figures.indexRegionBytes = Idx1RegionBytes(file.entries.size(), layout_.sectorSize);
    figures.videoFrames = file.videoFrames;
    figures.audioBlocks = file.audioBlocks;
    figures.videoStart = videoStart;
    figures.audioStart = audioStart;
    const uint64_t moviEnd = static_cast<uint64_t>(layout_.headerSize) + file.moviBytes;
    const HResult indexed = WriteRegion(file, moviEnd, figures.indexRegionBytes,
                                        [&](uint8_t* out) { BuildIdx1Region(out, file.entries, layout_.sectorSize); });
    if (Failed(indexed)) {
        figures.indexed = false;
        figures.indexRegionBytes = 0;
        file.handle->SetEnd(moviEnd);  // a file set to its full length loses the empty tail
    }
    const HResult header =
        WriteRegion(file, 0, layout_.headerSize, [&](uint8_t* out) { BuildAviHeader(out, inputs, run, figures); });
    return Failed(header) ? header : indexed;
}

void Avi1FileSet::CloseAndDelete(bool deleteUnused)
{
    for (Avi1File& file : files_) {
        if (file.handle)
            file.handle->Close();
        file.handle.reset();
        if (deleteUnused && !file.used)
            fs_->Delete(file.name);
    }
    files_.clear();
}

void Avi1FileSet::Release()
{
    CloseAndDelete(true);
}

void Avi1FileSet::Abandon()
{
    CloseAndDelete(false);
}

void Avi1FileSet::Discard()
{
    Abort(kS_OK);
}

}  // namespace trelvox
