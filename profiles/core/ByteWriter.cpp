#include "ByteWriter.h"

namespace profiles {

void ByteWriter::WriteU32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
}

void ByteWriter::WriteU16(std::uint16_t value)
{
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::WriteString(std::u16string_view text)
{
    WriteU32(static_cast<std::uint32_t>(text.size() + 1));
    for (char16_t unit : text)
        WriteU16(static_cast<std::uint16_t>(unit));
    WriteU16(0);
}

void ByteWriter::WriteBytes(std::span<const std::uint8_t> bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

}  // namespace profiles
