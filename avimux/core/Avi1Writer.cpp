#include "Avi1Writer.h"

#include <algorithm>
#include <new>

#include "AviStructures.h"
#include "Padding.h"

namespace trelvox {
namespace {

// Per audio chunk beyond its data and a sector of JUNK: header, pad byte, the JUNK that
// may take a sector more, and its index entry.
constexpr uint64_t kAudioChunkOverhead = kRiffChunkHeaderBytes + 1 + (kRiffChunkHeaderBytes - 1) + kAviIndexEntryBytes;

StreamKind Other(StreamKind stream)
{
    return stream == StreamKind::Video ? StreamKind::Audio : StreamKind::Video;
}

BatchSize operator+(BatchSize a, const BatchSize& b)
{
    a.bytes += b.bytes;
    a.chunks += b.chunks;
    return a;
}

}  // namespace

Avi1Writer::Avi1Writer(Avi1FileSet& files, const MuxSettings& settings, const MuxInputs& inputs, StartsSource starts)
    : files_(files),
      settings_(settings),
      videoConnected_(inputs.video.has_value()),
      audioConnected_(inputs.audio.has_value()),
      blockAlign_(inputs.audio ? inputs.audio->BlockAlign() : 1),
      starts_(std::move(starts)),
      timeline_(inputs.video ? inputs.video->frameDuration : 0, inputs.audio ? inputs.audio->AvgBytesPerSec() : 0),
      fileEnds_(files.Count())
{
}

bool Avi1Writer::Connected(StreamKind stream) const
{
    return stream == StreamKind::Video ? videoConnected_ : audioConnected_;
}

size_t Avi1Writer::CurrentFile(StreamKind stream) const
{
    return (stream == StreamKind::Video ? video_ : audio_).currentFile;
}

HResult Avi1Writer::SetFrameDuration(int64_t frameDuration)
{
    timeline_.SetFrameDuration(frameDuration);
    return files_.SetFrameDuration(frameDuration);
}

HResult Avi1Writer::Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch)
{
    if (records.empty())
        return kS_OK;
    if (settings_.splitMode != SplitMode::FileSize)
        return WriteCounted(stream, std::move(records), splitBatch);
    return WriteInTime(stream, std::move(records));
}

// Split by counts, each stream moves on its own, so that every file holds the counts asked for.
HResult Avi1Writer::WriteCounted(StreamKind stream, Records records, bool splitBatch)
{
    const Avi1File& file = files_.File(CurrentFile(stream));
    if (splitBatch || !Fits(file, MeasureBatch(records, files_.Layout().sectorSize), HeldFrameBytes())) {
        const HResult hr = MoveToNextFile(stream, records);
        if (hr != kS_OK)
            return hr;
    }
    return Append(stream, records, records.size());
}

// Split by size, both streams move to the next file at one point of media time, so that
// each file played alone keeps its sound with its picture. That point, the file's end,
// is decided by the stream that first finds the file full while keeping room for what
// the other stream still owes the file up to the same time: the start of the video frame
// that did not fit, or when audio finds it full, the video frame nearest to that audio.
// Video frames that start before the end and audio buffers that end by it go into the
// old file (the buffer that holds the new file's first frame goes into the new one);
// what does not fit there all the same goes on into the next file. A stream that has not
// started, or is not connected, is owed no room, and the room kept for one that lags is
// at most half a file: a stalled stream can neither hold the other back nor make it
// leave its files empty.
HResult Avi1Writer::WriteInTime(StreamKind stream, Records records)
{
    LearnStarts();
    while (!records.empty()) {
        const size_t file = CurrentFile(stream);
        const std::optional<int64_t> end = fileEnds_[file];
        const size_t count = end ? TakeBeforeFileEnd(stream, records, file, *end) : TakeWhatFits(stream, records, file);
        HResult hr;
        if (count > 0) {
            hr = Append(stream, records, count);
        } else {
            if (!end)
                fileEnds_[file] = SplitTime(stream);
            hr = MoveToNextFile(stream, records);
        }
        if (hr != kS_OK)
            return hr;
    }
    return kS_OK;
}

// A run of null frames that crosses the end keeps the frames that start before it.
void Avi1Writer::CutRun(Records& records, size_t index, uint64_t framesBefore)
{
    SampleRecord& run = *records[index];
    if (framesBefore == 0 || framesBefore >= run.frames)
        return;
    RecordPtr head = MakeNullRun(static_cast<uint32_t>(framesBefore));
    if (!head)
        throw std::bad_alloc();
    run.frames -= static_cast<uint32_t>(framesBefore);
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(index), std::move(head));
}

size_t Avi1Writer::TakeBeforeFileEnd(StreamKind stream, Records& records, size_t file, int64_t fileEnd)
{
    const Avi1File& f = files_.File(file);
    const uint32_t sector = files_.Layout().sectorSize;
    int64_t at = timeline_.Written(stream);
    BatchSize taken;
    size_t count = 0;
    for (; count < records.size(); ++count) {
        if (stream == StreamKind::Video) {
            if (at >= fileEnd)
                break;
            if (records[count]->IsNullRun())
                CutRun(records, count, timeline_.FramesIn(fileEnd - at));
        }
        const SampleRecord& r = *records[count];
        const int64_t duration = timeline_.Duration(stream, r);
        if (stream == StreamKind::Audio && at + duration > fileEnd)
            break;
        // The held frame will begin a later file, not this one.
        const BatchSize next = taken + MeasureRecord(r, sector);
        if (!Fits(f, next, 0))
            break;
        taken = next;
        at += duration;
    }
    return count;
}

size_t Avi1Writer::TakeWhatFits(StreamKind stream, const Records& records, size_t file)
{
    const Avi1File& f = files_.File(file);
    const uint32_t sector = files_.Layout().sectorSize;
    int64_t at = timeline_.Written(stream);
    BatchSize taken;
    size_t count = 0;
    for (; count < records.size(); ++count) {
        const SampleRecord& r = *records[count];
        const BatchSize next = taken + MeasureRecord(r, sector);
        at += timeline_.Duration(stream, r);
        // An empty file takes its first chunk whatever its size.
        const bool first = count == 0 && f.moviBytes == 0;
        if (!first && !Fits(f, next, HeldFrameBytes() + ReserveFor(Other(stream), file, at)))
            break;
        taken = next;
    }
    return count;
}

int64_t Avi1Writer::SplitTime(StreamKind stream) const
{
    const int64_t at = timeline_.Written(stream);
    if (stream == StreamKind::Video || !videoConnected_ || !timeline_.Started(StreamKind::Video))
        return at;
    return timeline_.NearestFrameStart(at);
}

uint64_t Avi1Writer::ReserveFor(StreamKind other, size_t file, int64_t until) const
{
    if (!Connected(other) || !timeline_.Started(other) || CurrentFile(other) > file)
        return 0;
    int64_t from = timeline_.Written(other);
    if (file > 0 && fileEnds_[file - 1])
        from = std::max(from, *fileEnds_[file - 1]);
    const uint64_t sector = files_.Layout().sectorSize;
    uint64_t bytes = 0;
    if (other == StreamKind::Video) {
        const uint64_t chunk = PaddedLength(SampleChunkBytes(largestFrame_), files_.Layout().sectorSize);
        bytes = timeline_.FramesIn(until - from) * (chunk + kAviIndexEntryBytes);
    } else {
        const uint64_t data = timeline_.AudioBytesIn(until - from);
        const uint64_t buffers = data == 0 ? 0 : data / std::max<uint32_t>(lastAudioBuffer_, 1) + 1;
        bytes = data + buffers * (sector + kAudioChunkOverhead);
    }
    return std::min<uint64_t>(bytes, settings_.maxFileSize / 2);
}

// Room for the held frame, which may have to begin the next file.
uint64_t Avi1Writer::HeldFrameBytes() const
{
    return held_ ? PaddedLength(SampleChunkBytes(held_->size), files_.Layout().sectorSize) : 0;
}

// The size rule: header, movi, idx1 with the new entries, one sector, the batch and the
// room kept beside it stay below the limit.
bool Avi1Writer::Fits(const Avi1File& file, const BatchSize& batch, uint64_t kept) const
{
    const Avi1SetLayout& layout = files_.Layout();
    const uint64_t total = static_cast<uint64_t>(file.moviBytes) + kAviIndexEntryBytes * batch.chunks +
                           layout.headerSize + file.idx1Bytes + layout.sectorSize + batch.bytes + kept;
    return total < settings_.maxFileSize;
}

HResult Avi1Writer::MoveToNextFile(StreamKind stream, Records& records)
{
    StreamState& state = stream == StreamKind::Video ? video_ : audio_;
    HResult hr = files_.CloseFull(state.currentFile);
    if (Failed(hr))
        return hr;
    if (state.currentFile + 1 >= files_.Count())
        return kFilesFull;
    ++state.currentFile;
    if (!files_.File(state.currentFile).used) {
        hr = files_.BeginFile(state.currentFile);
        if (Failed(hr))
            return hr;
    }
    if (stream == StreamKind::Video && settings_.firstFrameNotDropped)
        PutHeldFrameFirst(records);
    return kS_OK;
}

HResult Avi1Writer::Append(StreamKind stream, Records& records, size_t count)
{
    Records batch;
    if (count == records.size()) {
        batch.swap(records);
    } else {
        batch.assign(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(count));
        records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(count));
    }
    const bool video = stream == StreamKind::Video;
    const HResult hr = files_.AppendBatch(CurrentFile(stream), batch, {video, videoConnected_, blockAlign_},
                                          settings_.zeroFillJunk != 0);
    if (Failed(hr))
        return hr;
    for (const RecordPtr& r : batch) {
        timeline_.Advance(stream, *r);
        if (video) {
            largestFrame_ = std::max(largestFrame_, r->size);
        } else {
            lastAudioBuffer_ = r->size;
        }
    }
    if (video)
        KeepHeldFrame(batch);
    return kS_OK;
}

void Avi1Writer::LearnStarts()
{
    const bool known = (!videoConnected_ || timeline_.Started(StreamKind::Video)) &&
                       (!audioConnected_ || timeline_.Started(StreamKind::Audio));
    if (!known && starts_)
        timeline_.SetStarts(starts_());
}

// A new file should not begin with a dropped frame: one null frame of the leading run
// becomes the last picture written.
void Avi1Writer::PutHeldFrameFirst(Records& records)
{
    if (!held_ || records.empty() || !records.front()->IsNullRun())
        return;
    const uint32_t frames = records.front()->frames;
    if (frames == 1) {
        records.front() = held_;
    } else {
        RecordPtr shorter = MakeNullRun(frames - 1);
        if (!shorter)
            throw std::bad_alloc();
        records.front() = shorter;
        records.insert(records.begin(), held_);
    }
    held_.reset();
}

void Avi1Writer::KeepHeldFrame(const Records& records)
{
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (!(*it)->IsNullRun()) {
            held_ = *it;
            return;
        }
    }
}

}  // namespace trelvox
