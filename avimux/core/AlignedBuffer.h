// A heap buffer whose start is aligned to the disk sector size. A buffer taken from a
// SectorBufferPool goes back to that pool when it is destroyed.
#pragma once

#include <cstdint>
#include <memory>

namespace trelvox {

class SectorBufferPool;

class AlignedBuffer {
public:
    AlignedBuffer() = default;
    AlignedBuffer(AlignedBuffer&& other) noexcept;
    AlignedBuffer& operator=(AlignedBuffer&& other) noexcept;
    ~AlignedBuffer();

    // Empty (and false) when the memory cannot be had.
    static AlignedBuffer Allocate(uint32_t length, uint32_t alignment, bool zeroed);

    uint8_t* data() const { return aligned_; }
    uint32_t size() const { return length_; }
    uint32_t capacity() const { return capacity_; }
    explicit operator bool() const { return aligned_ != nullptr; }

private:
    friend class SectorBufferPool;

    void Release();

    std::unique_ptr<uint8_t[]> memory_;
    uint8_t* aligned_ = nullptr;
    uint32_t length_ = 0;
    uint32_t capacity_ = 0;
    std::shared_ptr<SectorBufferPool> home_;  // where the memory goes back to, if anywhere
};

}  // namespace trelvox
