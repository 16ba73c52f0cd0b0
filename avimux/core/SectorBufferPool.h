// Sector-aligned buffers kept for reuse, so that a steady stream of samples does not
// map fresh pages for every one. The pins take a buffer per sample; it comes back when
// its last holder drops it (normally the writer, once the record is written). At most
// `maxIdle` buffers wait for reuse; any more are freed. After a backlog the pool holds more
// than a steady stream needs: the buffers that stayed idle through a whole window of takes
// are freed but one, so memory returns to the stream's working set. Safe to use from any thread; a
// buffer may outlive every other owner of its pool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "AlignedBuffer.h"

namespace trelvox {

class SectorBufferPool : public std::enable_shared_from_this<SectorBufferPool> {
public:
    // Takes per window: about 8 s of 1080i frames.
    static constexpr uint32_t kTrimWindowTakes = 256;

    static std::shared_ptr<SectorBufferPool> Create(uint32_t alignment, size_t maxIdle);

    // A buffer of `length` bytes, its content left as it was; empty when the memory cannot
    // be had. An idle buffer is reused when it holds the length and is at most twice it.
    AlignedBuffer Take(uint32_t length);

    uint32_t Alignment() const { return alignment_; }
    size_t IdleCount() const;

private:
    friend class AlignedBuffer;

    SectorBufferPool(uint32_t alignment, size_t maxIdle);
    void GiveBack(AlignedBuffer buffer);
    bool TakeIdle(uint32_t length, AlignedBuffer* buffer);
    void CountTake();

    const uint32_t alignment_;
    const size_t maxIdle_;
    mutable std::mutex mutex_;
    std::vector<AlignedBuffer> idle_;
    uint32_t takesInWindow_ = 0;
    size_t fewestIdleInWindow_ = 0;
};

}  // namespace trelvox
