// A heap buffer whose start is aligned to the disk sector size.
#pragma once

#include <cstdint>
#include <memory>

namespace trelvox {

class AlignedBuffer {
 public:
  AlignedBuffer() = default;
  // Empty (and false) when the memory cannot be had.
  static AlignedBuffer Allocate(uint32_t length, uint32_t alignment, bool zeroed);

  uint8_t* data() const { return aligned_; }
  uint32_t size() const { return length_; }
  explicit operator bool() const { return aligned_ != nullptr; }

 private:
  std::unique_ptr<uint8_t[]> memory_;
  uint8_t* aligned_ = nullptr;
  uint32_t length_ = 0;
};

}  // namespace trelvox
