#include "SplitRules.h"

#include <new>

namespace trelvox {

SplitRule VideoSplitRule(SplitMode splitMode)
{
    switch (splitMode) {
    case SplitMode::FrameCount:
        return SplitRule::Frames;
    case SplitMode::KeyFrameCount:
        return SplitRule::KeyFrames;
    default:
        return SplitRule::None;
    }
}

void SplitCounter::StartSplitBatch(TakenBatch& batch)
{
    batch.split = true;
    counter_ -= splitCount_;
    pending_ = false;
}

// Returns false when the batch must end before the front record.
bool SplitCounter::TakeCounted(std::deque<RecordPtr>& queue, TakenBatch& batch)
{
    if (pending_)
        StartSplitBatch(batch);
    RecordPtr record = queue.front();
    counter_ += record->frames;
    if (counter_ > splitCount_) {
        // A run of null frames crossing the split: its excess stays queued as a run of its own.
        const uint32_t excess = counter_ - splitCount_;
        RecordPtr head = MakeNullRun(record->frames - excess);
        if (!head)
            throw std::bad_alloc();
        record->frames = excess;
        batch.records.push_back(head);
        counter_ = splitCount_;
        pending_ = true;
        return false;
    }
    queue.pop_front();
    batch.records.push_back(record);
    if (counter_ >= splitCount_) {
        counter_ = splitCount_;
        pending_ = true;
        return false;
    }
    return true;
}

bool SplitCounter::TakeKeyCounted(std::deque<RecordPtr>& queue, TakenBatch& batch)
{
    const RecordPtr& record = queue.front();
    if (!record->IsNullRun() && record->sync) {
        if (pending_) {
            StartSplitBatch(batch);
        } else if (counter_ >= splitCount_) {
            pending_ = true;
            return false;
        }
        ++counter_;
    }
    batch.records.push_back(record);
    queue.pop_front();
    return true;
}

TakenBatch SplitCounter::Take(std::deque<RecordPtr>& queue, size_t maxRecords)
{
    TakenBatch batch;
    while (batch.records.size() < maxRecords && !queue.empty()) {
        bool more = true;
        switch (rule_) {
        case SplitRule::None:
            batch.records.push_back(queue.front());
            queue.pop_front();
            break;
        case SplitRule::Frames:
            more = TakeCounted(queue, batch);
            break;
        case SplitRule::KeyFrames:
            more = TakeKeyCounted(queue, batch);
            break;
        }
        if (!more)
            break;
    }
    return batch;
}

}  // namespace trelvox
