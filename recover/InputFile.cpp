#include "InputFile.h"

#include "ByteOrder.h"

namespace trelvox::recover {

bool InputFile::Open(const std::string& path) {
  buffer_.resize(1 << 20);
  stream_.rdbuf()->pubsetbuf(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  stream_.open(path, std::ios::binary);
  if (!stream_) return false;
  stream_.seekg(0, std::ios::end);
  const std::streamoff end = stream_.tellg();
  if (end < 0) return false;
  size_ = static_cast<uint64_t>(end);
  return true;
}

bool InputFile::Read(uint64_t offset, uint32_t length, uint8_t* out) {
  if (offset > size_ || length > size_ - offset) return false;
  stream_.clear();
  stream_.seekg(static_cast<std::streamoff>(offset));
  stream_.read(reinterpret_cast<char*>(out), length);
  return static_cast<uint64_t>(stream_.gcount()) == length;
}

uint32_t InputFile::U32(uint64_t offset) {
  uint8_t b[4];
  return Read(offset, 4, b) ? GetU32(b) : 0;
}

std::string InputFile::Id(uint64_t offset) {
  char b[4];
  return Read(offset, 4, reinterpret_cast<uint8_t*>(b)) ? std::string(b, 4) : std::string();
}

}  // namespace trelvox::recover
