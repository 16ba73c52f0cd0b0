// Writes batches of one stream into that stream's current file of an AVI 1.0 set and
// moves the streams to the next file at the size limit, or where a split batch asks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "Avi1FileSet.h"
#include "MediaFormats.h"
#include "MuxSettings.h"
#include "MuxTypes.h"
#include "SetTimeline.h"
#include "SplitRules.h"

namespace trelvox {

// Result of a write that found no file left to move to.
constexpr HResult kFilesFull = kS_FALSE;

// Asked on the writer thread until both streams have started.
using StartsSource = std::function<StreamStarts()>;

class Avi1Writer {
public:
    Avi1Writer(Avi1FileSet& files, const MuxSettings& settings, const MuxInputs& inputs, StartsSource starts);

    // S_OK, kFilesFull, or the failure of a file operation.
    // A frame duration learnt before any video was written: for the headers and the timeline.
    HResult SetFrameDuration(int64_t frameDuration);
    HResult Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch);

private:
    struct StreamState {
        size_t currentFile = 0;
    };
    using Records = std::vector<RecordPtr>;

    bool Connected(StreamKind stream) const;
    size_t CurrentFile(StreamKind stream) const;
    HResult WriteCounted(StreamKind stream, Records records, bool splitBatch);
    HResult WriteInTime(StreamKind stream, Records records);
    size_t TakeBeforeFileEnd(StreamKind stream, Records& records, size_t file, int64_t fileEnd);
    void CutRun(Records& records, size_t index, uint64_t framesBefore);
    size_t TakeWhatFits(StreamKind stream, const Records& records, size_t file);
    int64_t SplitTime(StreamKind stream) const;
    uint64_t ReserveFor(StreamKind other, size_t file, int64_t until) const;
    uint64_t HeldFrameBytes() const;
    bool Fits(const Avi1File& file, const BatchSize& batch, uint64_t kept) const;
    HResult MoveToNextFile(StreamKind stream, Records& records);
    HResult Append(StreamKind stream, Records& records, size_t count);
    void LearnStarts();
    void PutHeldFrameFirst(Records& records);
    void KeepHeldFrame(const Records& records);

    Avi1FileSet& files_;
    const MuxSettings settings_;
    const bool videoConnected_, audioConnected_;
    const uint32_t blockAlign_;
    StartsSource starts_;
    SetTimeline timeline_;
    std::vector<std::optional<int64_t>> fileEnds_;  // where the next file begins, once decided
    StreamState video_, audio_;
    RecordPtr held_;  // the last real video sample written
    uint32_t largestFrame_ = 0;
    uint32_t lastAudioBuffer_ = 0;
};

}  // namespace trelvox
