#include "ByteReader.h"

namespace profiles {

Status ByteReader::ReadU32(std::uint32_t& value)
{
    if (Remaining() < 4)
        return kInvalidData;
    const std::uint8_t* p = bytes_.data() + position_;
    value = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
    position_ += 4;
    return kOk;
}

Status ByteReader::ReadString(std::u16string& text)
{
    const std::size_t start = position_;
    std::uint32_t units = 0;
    if (Status status = ReadU32(units); Failed(status))
        return status;
    // A stored string always holds at least its terminating zero.
    if (units == 0 || units > Remaining() / 2) {
        position_ = start;
        return kInvalidData;
    }
    const std::uint8_t* p = bytes_.data() + position_;
    std::size_t length = 0;
    while (length < units && (p[2 * length] | p[2 * length + 1]) != 0)
        ++length;
    text.resize(length);
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
    position_ += std::size_t{units} * 2;
    return kOk;
}

Status ByteReader::ReadBytes(std::size_t count, std::vector<std::uint8_t>& bytes)
{
    if (count > Remaining())
        return kInvalidData;
    const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(position_);
    bytes.assign(first, first + static_cast<std::ptrdiff_t>(count));
    position_ += count;
    return kOk;
}

Status ByteReader::Skip(std::size_t count)
{
    if (count > Remaining())
        return kInvalidData;
    position_ += count;
    return kOk;
}

Status ByteReader::SetPosition(std::size_t position)
{
    if (position > bytes_.size())
        return kInvalidData;
    position_ = position;
    return kOk;
}

}  // namespace profiles
