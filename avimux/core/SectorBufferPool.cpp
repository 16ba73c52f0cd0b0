#include "SectorBufferPool.h"

#include <algorithm>
#include <new>
#include <utility>

namespace trelvox {

std::shared_ptr<SectorBufferPool> SectorBufferPool::Create(uint32_t alignment, size_t maxIdle)
{
    return std::shared_ptr<SectorBufferPool>(new SectorBufferPool(alignment, maxIdle));
}

SectorBufferPool::SectorBufferPool(uint32_t alignment, size_t maxIdle) : alignment_(alignment), maxIdle_(maxIdle) {}

AlignedBuffer SectorBufferPool::Take(uint32_t length)
{
    AlignedBuffer buffer;
    if (!TakeIdle(length, &buffer)) {
        buffer = AlignedBuffer::Allocate(length, alignment_, false);
        if (!buffer)
            return buffer;
    }
    buffer.length_ = length;
    buffer.home_ = shared_from_this();
    return buffer;
}

// The smallest idle buffer that fits, so that a large one is not spent on a small sample.
bool SectorBufferPool::TakeIdle(uint32_t length, AlignedBuffer* buffer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const uint64_t largest = 2ull * length;
    size_t best = idle_.size();
    for (size_t i = 0; i < idle_.size(); ++i) {
        const uint32_t capacity = idle_[i].capacity();
        if (capacity < length || capacity > largest)
            continue;
        if (best == idle_.size() || capacity < idle_[best].capacity())
            best = i;
    }
    if (best != idle_.size()) {
        *buffer = std::move(idle_[best]);
        if (best + 1 != idle_.size())
            idle_[best] = std::move(idle_.back());
        idle_.pop_back();
    }
    CountTake();
    return static_cast<bool>(*buffer);
}

// As many buffers as stayed idle after every take of a window were not needed in it; one
// of them is kept as a spare for the stream's jitter.
void SectorBufferPool::CountTake()
{
    fewestIdleInWindow_ = takesInWindow_ == 0 ? idle_.size() : std::min(fewestIdleInWindow_, idle_.size());
    if (++takesInWindow_ < kTrimWindowTakes)
        return;
    takesInWindow_ = 0;
    if (fewestIdleInWindow_ > 1)
        idle_.resize(idle_.size() - (fewestIdleInWindow_ - 1));
}

void SectorBufferPool::GiveBack(AlignedBuffer buffer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (idle_.size() >= maxIdle_)
        return;  // freed on leaving
    try {
        idle_.push_back(std::move(buffer));
    } catch (const std::bad_alloc&) {
        // Not kept: freed on leaving.
    }
}

size_t SectorBufferPool::IdleCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return idle_.size();
}

}  // namespace trelvox
