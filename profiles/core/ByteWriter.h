// Builds the little-endian byte image of a profile stream.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace profiles {

class ByteWriter {
public:
    void WriteU32(std::uint32_t value);
    // Count of UTF-16 units including the terminating zero, then the units.
    void WriteString(std::u16string_view text);
    void WriteBytes(std::span<const std::uint8_t> bytes);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    void WriteU16(std::uint16_t value);

    std::vector<std::uint8_t> bytes_;
};

}  // namespace profiles
