#include "SectorBufferPool.h"

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
    if (best == idle_.size())
        return false;
    *buffer = std::move(idle_[best]);
    if (best + 1 != idle_.size())
        idle_[best] = std::move(idle_.back());
    idle_.pop_back();
    return true;
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
