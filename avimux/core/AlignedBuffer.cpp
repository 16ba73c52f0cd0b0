#include "AlignedBuffer.h"

#include <cstring>
#include <new>

namespace trelvox {

AlignedBuffer AlignedBuffer::Allocate(uint32_t length, uint32_t alignment, bool zeroed) {
  AlignedBuffer buffer;
  const size_t total = static_cast<size_t>(length) + alignment;
  buffer.memory_.reset(new (std::nothrow) uint8_t[total]);
  if (!buffer.memory_) return buffer;
  const uintptr_t start = reinterpret_cast<uintptr_t>(buffer.memory_.get());
  const uintptr_t aligned = (start + alignment - 1) / alignment * alignment;
  buffer.aligned_ = buffer.memory_.get() + (aligned - start);
  buffer.length_ = length;
  if (zeroed) std::memset(buffer.aligned_, 0, length);
  return buffer;
}

}  // namespace trelvox
