#include "AlignedBuffer.h"

#include <cstring>
#include <new>
#include <utility>

#include "SectorBufferPool.h"

namespace trelvox {

AlignedBuffer::AlignedBuffer(AlignedBuffer&& other) noexcept
    : memory_(std::move(other.memory_)),
      aligned_(std::exchange(other.aligned_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      home_(std::move(other.home_))
{
}

AlignedBuffer& AlignedBuffer::operator=(AlignedBuffer&& other) noexcept
{
    if (this != &other) {
        Release();
        memory_ = std::move(other.memory_);
        aligned_ = std::exchange(other.aligned_, nullptr);
        length_ = std::exchange(other.length_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        home_ = std::move(other.home_);
    }
    return *this;
}

AlignedBuffer::~AlignedBuffer()
{
    Release();
}

void AlignedBuffer::Release()
{
    if (home_) {
        std::shared_ptr<SectorBufferPool> home = std::move(home_);
        home->GiveBack(std::move(*this));
    }
    memory_.reset();
    aligned_ = nullptr;
    length_ = capacity_ = 0;
}

AlignedBuffer AlignedBuffer::Allocate(uint32_t length, uint32_t alignment, bool zeroed)
{
    AlignedBuffer buffer;
    const size_t total = static_cast<size_t>(length) + alignment;
    buffer.memory_.reset(new (std::nothrow) uint8_t[total]);
    if (!buffer.memory_)
        return buffer;
    const uintptr_t start = reinterpret_cast<uintptr_t>(buffer.memory_.get());
    const uintptr_t aligned = (start + alignment - 1) / alignment * alignment;
    buffer.aligned_ = buffer.memory_.get() + (aligned - start);
    buffer.length_ = buffer.capacity_ = length;
    if (zeroed)
        std::memset(buffer.aligned_, 0, length);
    return buffer;
}

}  // namespace trelvox
