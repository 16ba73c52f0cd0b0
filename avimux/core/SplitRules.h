// How the writer takes records off a queue when files are split by count: frame counts
// (runs of null frames cut at the split), key-frame counts, or audio buffer counts.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "SampleRecord.h"
#include "SplitMode.h"

namespace trelvox {

enum class SplitRule {
    None,       // only the size rule splits
    Frames,     // every frame counts (video frame count; audio buffers)
    KeyFrames,  // only sync-point samples count
};

// The rule of the video stream under a split mode.
SplitRule VideoSplitRule(SplitMode splitMode);

struct TakenBatch {
    std::vector<RecordPtr> records;
    bool split = false;  // the batch starts a new file
};

class SplitCounter {
public:
    SplitCounter() = default;
    SplitCounter(SplitRule rule, uint32_t splitCount) : rule_(rule), splitCount_(splitCount) {}

    // Takes at most `maxRecords` records from the front of `queue`. Throws std::bad_alloc
    // when a run cannot be cut for want of memory (the writer turns it into E_OUTOFMEMORY).
    TakenBatch Take(std::deque<RecordPtr>& queue, size_t maxRecords);

private:
    bool TakeCounted(std::deque<RecordPtr>& queue, TakenBatch& batch);
    bool TakeKeyCounted(std::deque<RecordPtr>& queue, TakenBatch& batch);
    void StartSplitBatch(TakenBatch& batch);

    SplitRule rule_ = SplitRule::None;
    uint32_t splitCount_ = 1;
    uint32_t counter_ = 0;
    bool pending_ = false;
};

}  // namespace trelvox
