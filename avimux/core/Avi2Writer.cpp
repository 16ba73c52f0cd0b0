#include "Avi2Writer.h"

#include <algorithm>
#include <new>

#include "AlignedBuffer.h"
#include "AviStructures.h"
#include "ChunkIds.h"
#include "ChunkWriter.h"
#include "Padding.h"

namespace trelvox {
namespace {

// The "RIFF" "AVIX" and "LIST" "movi" headers that begin a later segment.
constexpr uint32_t kSegmentListHeaders = 2 * kRiffListHeaderBytes;

// Batches of at most one standard index block's worth of chunks; long null runs are cut.
std::vector<std::vector<RecordPtr>> CutForIndex(const std::vector<RecordPtr>& records)
{
    std::vector<std::vector<RecordPtr>> parts(1);
    uint32_t chunks = 0;
    for (const RecordPtr& record : records) {
        uint32_t frames = record->IsNullRun() ? record->frames : 1;
        while (frames > 0) {
            if (chunks == kStdIndexCapacity) {
                parts.emplace_back();
                chunks = 0;
            }
            const uint32_t take = std::min(frames, kStdIndexCapacity - chunks);
            parts.back().push_back(take == record->frames || !record->IsNullRun() ? record : MakeNullRun(take));
            if (!parts.back().back())
                throw std::bad_alloc();
            chunks += take;
            frames -= take;
        }
    }
    return parts;
}

}  // namespace

HResult Avi2Writer::Create(MuxFileSystem& fs, const std::string& path, CreateMode mode, const Avi2Layout& layout)
{
    layout_ = layout;
    const uint32_t s = layout.sectorSize;
    batchBuffers_ = SectorBufferPool::Create(s, kIdleBatchBuffers);
    indexBlockBytes_ = IndexBlockBytes(s);
    headerSize_ = AviHeaderSize(layout.inputs, s, indexBlockBytes_);
    const bool video = layout.inputs.video.has_value();
    if (video)
        video_ = StreamIndex{Fourcc("ix00"), kVideoKeyChunk, {kVideoKeyChunk, indexBlockBytes_}, {}};
    if (layout.inputs.audio) {
        const uint32_t id = video ? kAudioChunkSecond : kAudioChunkOnly;
        audio_ = StreamIndex{video ? Fourcc("ix01") : Fourcc("ix00"), id, {id, indexBlockBytes_}, {}};
    }

    HResult hr = fs.Create(path, mode, &file_, &existed_);
    if (Failed(hr))
        return hr;
    fs_ = &fs;
    path_ = path;
    // An earlier take's chunks go, so that an unfinished recording never seems to go on
    // into them.
    if (existed_)
        hr = file_->SetEnd(0);
    if (Failed(hr)) {
        Discard();
        return hr;
    }
    hr = WriteProvisionalHeader();
    if (Failed(hr)) {
        Discard();
        return hr;
    }
    position_ = headerSize_;
    segments_.push_back({position_, 0});
    if (video_)
        StartIndexBlock(*video_, NewIndexBlock(*video_, position_));
    if (audio_)
        StartIndexBlock(*audio_, NewIndexBlock(*audio_, position_));
    return kS_OK;
}

// Readable as it grows: a header without sizes and with empty super indexes.
HResult Avi2Writer::WriteProvisionalHeader()
{
    AviFileFigures figures;
    figures.headerSize = headerSize_;
    figures.openEnded = true;
    std::optional<SuperIndex> videoSuper, audioSuper;
    if (video_)
        videoSuper.emplace(video_->chunkId, indexBlockBytes_);
    if (audio_)
        audioSuper.emplace(audio_->chunkId, indexBlockBytes_);
    return WriteHeader(layout_.inputs, layout_.run, figures, videoSuper ? &*videoSuper : nullptr,
                       audioSuper ? &*audioSuper : nullptr);
}

HResult Avi2Writer::SetFrameDuration(int64_t frameDuration)
{
    layout_.run.frameDuration = frameDuration;
    return WriteProvisionalHeader();
}

StdIndexBlock Avi2Writer::NewIndexBlock(const StreamIndex& index, uint64_t at) const
{
    return StdIndexBlock(index.fcc, index.chunkId, indexBlockBytes_, at);
}

void Avi2Writer::StartIndexBlock(StreamIndex& index, StdIndexBlock block)
{
    Segment& segment = segments_.back();
    if (segments_.size() == 1) {
        const uint32_t offset = static_cast<uint32_t>(position_ - segment.moviStart + kIdx1OffsetBias);
        idx1_.push_back({index.fcc, 0, offset, indexBlockBytes_ - kRiffChunkHeaderBytes});
        idx1Bytes_ += kAviIndexEntryBytes;
    }
    index.blocks.push_back(std::move(block));
    index.super.Add(position_);
    position_ += indexBlockBytes_;
    segment.moviBytes += indexBlockBytes_;
}

uint32_t Avi2Writer::SegmentHeaderBytes() const
{
    return static_cast<uint32_t>(PaddedLength(kSegmentListHeaders, layout_.sectorSize));
}

std::optional<uint64_t> Avi2Writer::NewSegmentStart(const BatchSize& batch) const
{
    const uint64_t v = segments_.size();
    const uint64_t reserve =
        v == 1 ? layout_.sectorSize + uint64_t{kAviIndexEntryBytes} * (batch.chunks + 1) + idx1Bytes_ : 0;
    if (position_ + reserve + batch.bytes + indexBlockBytes_ < v * layout_.segmentBytes)
        return {};
    // The first RIFF's idx1 goes into the gap, then the new RIFF's own header.
    uint64_t gap = kSegmentListHeaders;
    if (v == 1)
        gap += PaddedLength(idx1Bytes_, layout_.sectorSize);
    return position_ + PaddedLength(gap, layout_.sectorSize);
}

Avi2Writer::StreamIndex* Avi2Writer::Index(StreamKind stream)
{
    return stream == StreamKind::Video ? (video_ ? &*video_ : nullptr) : (audio_ ? &*audio_ : nullptr);
}

HResult Avi2Writer::Write(StreamKind stream, const std::vector<RecordPtr>& records)
{
    if (records.empty())
        return kS_OK;
    for (const std::vector<RecordPtr>& part : CutForIndex(records)) {
        const HResult hr = WriteWithinIndex(stream, part);
        if (Failed(hr))
            return hr;
    }
    return kS_OK;
}

// Where the batch goes is worked out first; the segment, index and position change
// only once the batch is on disk, so a failed write leaves nothing that points past it.
HResult Avi2Writer::WriteWithinIndex(StreamKind stream, const std::vector<RecordPtr>& records)
{
    StreamIndex* index = Index(stream);
    if (!index)
        return kE_UNEXPECTED;
    const uint32_t s = layout_.sectorSize;
    const BatchSize size = MeasureBatch(records, s);
    if (size.bytes > UINT32_MAX - s)
        return kE_OUTOFMEMORY;
    const std::optional<uint64_t> segmentStart = NewSegmentStart(size);
    uint64_t at = segmentStart.value_or(position_);
    uint32_t moviBefore = segmentStart ? 0 : segments_.back().moviBytes;
    const bool newBlock = !index->blocks.back().Takes(size.chunks, at);
    std::optional<StdIndexBlock> nextBlock;
    if (newBlock) {
        if (index->super.Full())
            return kIndexFull;
        nextBlock = NewIndexBlock(*index, at);
        at += indexBlockBytes_;
        moviBefore += indexBlockBytes_;
    }
    ReserveBookkeeping(*index, segmentStart.has_value(), newBlock, size.chunks);

    const bool video = stream == StreamKind::Video;
    const uint32_t blockAlign = layout_.inputs.audio ? layout_.inputs.audio->BlockAlign() : 1;
    AlignedBuffer assembled;
    uint8_t* out;
    if (WritesInPlace(records)) {
        out = records.front()->buffer.data();
    } else {
        assembled = batchBuffers_->Take(static_cast<uint32_t>(size.bytes));
        if (!assembled)
            return kE_OUTOFMEMORY;
        out = assembled.data();
    }
    const BatchLayout laid = LayOutBatch(records, {video, layout_.inputs.video.has_value(), blockAlign}, moviBefore, s,
                                         layout_.zeroFillJunk, out);
    const HResult hr = file_->Write(at, out, static_cast<uint32_t>(size.bytes));
    if (Failed(hr))
        return hr;

    if (segmentStart) {
        position_ = *segmentStart;
        segments_.push_back({position_, 0});
    }
    if (newBlock)
        StartIndexBlock(*index, std::move(*nextBlock));
    Segment& segment = segments_.back();
    if (layout_.playbackIndex) {
        AppendWrittenChunks(layout_.playbackIndex->List(video), laid.entries, segment.moviStart, file_.get(),
                            video ? 0 : blockAlign);
    }
    StdIndexBlock& block = index->blocks.back();
    for (const Idx1Entry& e : laid.entries) {
        const uint64_t data = segment.moviStart + e.offset - kIdx1OffsetBias + kRiffChunkHeaderBytes;
        block.Add(data, e.length, (e.flags & kAviIndexKeyFrame) != 0);
        if (segments_.size() == 1) {
            idx1_.push_back(e);
            idx1Bytes_ += kAviIndexEntryBytes;
        }
    }
    index->super.AddDuration(video ? laid.videoFrames : laid.audioBlocks);
    totalFrames_ += laid.videoFrames;
    totalAudioBlocks_ += laid.audioBlocks;
    position_ += size.bytes;
    segment.moviBytes += static_cast<uint32_t>(size.bytes);
    return kS_OK;
}

// What the bookkeeping after a write adds is allocated before it, so that a batch on
// disk is always counted and indexed.
void Avi2Writer::ReserveBookkeeping(StreamIndex& index, bool newSegment, bool newBlock, uint32_t chunks)
{
    if (newSegment)
        segments_.reserve(segments_.size() + 1);
    if (newBlock)
        index.blocks.reserve(index.blocks.size() + 1);
    if (segments_.size() == 1 && !newSegment)
        ReserveEntries(idx1_, chunks + (newBlock ? 1 : 0));
}

HResult Avi2Writer::WriteRegion(uint64_t offset, uint32_t length, const std::function<void(uint8_t*)>& build)
{
    AlignedBuffer buffer = AlignedBuffer::Allocate(length, layout_.sectorSize, true);
    if (!buffer)
        return kE_OUTOFMEMORY;
    build(buffer.data());
    return file_->Write(offset, buffer.data(), length);
}

HResult Avi2Writer::WriteHeader(const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& figures,
                                const SuperIndex* videoSuper, const SuperIndex* audioSuper)
{
    OdmlHeaderParts odml;
    odml.indexBlockBytes = indexBlockBytes_;
    odml.videoSuperIndex = videoSuper ? videoSuper->Data() : nullptr;
    odml.audioSuperIndex = audioSuper ? audioSuper->Data() : nullptr;
    odml.totalFrames = totalFrames_;
    return WriteRegion(0, headerSize_, [&](uint8_t* out) { BuildAviHeader(out, inputs, run, figures, &odml); });
}

// The super index as far as its standard index blocks are on disk: the leading ones
// that were written. The offsets of those that were not go to `lost`.
HResult Avi2Writer::WriteIndexBlocks(const StreamIndex& index, SuperIndex* written, std::vector<uint64_t>* lost)
{
    HResult first = kS_OK;
    uint32_t leading = 0;
    for (uint32_t i = 0; i < index.blocks.size(); ++i) {
        const HResult hr = WriteRegion(index.super.Offset(i), indexBlockBytes_, [&](uint8_t* out) {
            const std::vector<uint8_t>& data = index.blocks[i].Bytes();
            std::copy(data.begin(), data.end(), out);
        });
        if (Succeeded(hr) && leading == i)
            ++leading;
        if (Failed(hr))
            lost->push_back(index.super.Offset(i));
        if (Succeeded(first))
            first = hr;
    }
    written->KeepFirst(leading);
    return first;
}

HResult Avi2Writer::WriteSegmentHeaders()
{
    const uint32_t w = SegmentHeaderBytes();
    HResult first = kS_OK;
    for (size_t k = 1; k < segments_.size(); ++k) {
        const Segment& segment = segments_[k];
        const HResult hr = WriteRegion(segment.moviStart - w, w, [&](uint8_t* out) {
            ChunkWriter header(out);
            header.PutListHeader(Fourcc("RIFF"), segment.moviBytes + w - kRiffChunkHeaderBytes, Fourcc("AVIX"));
            if (w > kSegmentListHeaders)
                header.PutJunk(w - kSegmentListHeaders, true);
            header.PutListHeader(Fourcc("LIST"), ListCb(segment.moviBytes), Fourcc("movi"));
        });
        if (Succeeded(first))
            first = hr;
    }
    return first;
}

// The indexes go first and the header last, so that the header describes only what
// reached the disk: on a full disk the idx1 of a one-RIFF file needs new space. The
// idx1 leaves out the standard index chunks that could not be written.
HResult Avi2Writer::Finish(const MuxInputs& inputs, const AviRunFigures& run, uint32_t videoStart, uint32_t audioStart)
{
    if (!file_)
        return kE_UNEXPECTED;
    const uint32_t s = layout_.sectorSize;
    HResult first = WriteSegmentHeaders();
    std::vector<uint64_t> lost;
    std::optional<SuperIndex> videoSuper, audioSuper;
    for (auto [index, written] : {std::pair{&video_, &videoSuper}, std::pair{&audio_, &audioSuper}}) {
        if (!*index)
            continue;
        written->emplace((*index)->super);
        const HResult hr = WriteIndexBlocks(**index, &**written, &lost);
        if (Succeeded(first))
            first = hr;
    }

    const uint64_t moviStart = segments_.front().moviStart;
    std::vector<Idx1Entry> entries;
    for (const Idx1Entry& e : idx1_) {
        const uint64_t chunk = moviStart + e.offset - kIdx1OffsetBias;
        if (std::find(lost.begin(), lost.end(), chunk) == lost.end())
            entries.push_back(e);
    }
    AviFileFigures figures;
    figures.headerSize = headerSize_;
    figures.moviBytes = segments_.front().moviBytes;
    // Before an AVIX the idx1 fills the gap kept for it.
    figures.indexRegionBytes =
        segments_.size() > 1 ? static_cast<uint32_t>(PaddedLength(idx1Bytes_, s)) : Idx1RegionBytes(entries.size(), s);
    figures.videoFrames = totalFrames_;
    figures.audioBlocks = totalAudioBlocks_;
    figures.videoStart = videoStart;
    figures.audioStart = audioStart;
    const uint64_t idx1At = static_cast<uint64_t>(headerSize_) + figures.moviBytes;
    const HResult idx1 = WriteRegion(idx1At, figures.indexRegionBytes, [&](uint8_t* out) {
        BuildIdx1Region(out, entries, s);
        const uint32_t used = Idx1RegionBytes(entries.size(), s);
        if (used < figures.indexRegionBytes)
            WriteJunk(out + used, figures.indexRegionBytes - used, true);
    });
    if (Failed(idx1)) {
        figures.indexed = false;
        if (segments_.size() == 1) {
            figures.indexRegionBytes = 0;  // alone, the RIFF ends with its data
        } else {
            WriteRegion(idx1At, s, [&](uint8_t* out) { WriteJunk(out, figures.indexRegionBytes, false); });
        }
    }
    if (Succeeded(first))
        first = idx1;
    // Readers take any super index over idx1: with a block missing, a file of one RIFF is
    // better described by its complete idx1 alone, the super index slots left as JUNK.
    if (!lost.empty() && Succeeded(idx1) && segments_.size() == 1) {
        videoSuper.reset();
        audioSuper.reset();
    }
    const HResult hr =
        WriteHeader(inputs, run, figures, videoSuper ? &*videoSuper : nullptr, audioSuper ? &*audioSuper : nullptr);
    return Failed(hr) ? hr : first;
}

void Avi2Writer::Close()
{
    if (file_)
        file_->Close();
    file_.reset();
}

void Avi2Writer::Discard()
{
    const bool made = file_ && !existed_;
    Close();
    if (made)
        fs_->Delete(path_);
}

}  // namespace trelvox
