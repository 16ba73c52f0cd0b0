// Bounds-checked reading of a profile stream's bytes. Every read either takes
// bytes that are present or fails with kInvalidData and leaves the position alone.
#pragma once

#include "ProfileStatus.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace profiles {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    // The reader only looks at the bytes; they must outlive it.
    explicit ByteReader(std::vector<std::uint8_t>&&) = delete;

    Status ReadU32(std::uint32_t& value);
    // Takes the text up to the first zero unit; the count must lie within the data.
    Status ReadString(std::u16string& text);
    Status ReadBytes(std::size_t count, std::vector<std::uint8_t>& bytes);
    Status Skip(std::size_t count);

    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    Status SetPosition(std::size_t position);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace profiles
