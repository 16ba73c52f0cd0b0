#include "OptionBlock.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "ProfileFormat.h"

#include <algorithm>

namespace profiles {

Status EncodeOptionBlock(std::span<const std::uint8_t> block, BlockVersion version, std::vector<std::uint8_t>& stream)
{
    std::uint32_t declared = 0;
    ByteReader reader(block);
    if (Failed(reader.ReadU32(declared)) || declared != block.size())
        return kInvalidArg;
    ByteWriter writer;
    if (version == BlockVersion::Prefixed)
        writer.WriteU32(kStreamVersion);
    writer.WriteU32(declared);
    writer.WriteBytes(block);
    stream = writer.Take();
    return kOk;
}

Status DecodeOptionBlock(std::span<const std::uint8_t> stream, BlockVersion version, std::size_t expectedSize,
                         std::vector<std::uint8_t>& block, std::uint32_t& storedSize)
{
    ByteReader reader(stream);
    if (version == BlockVersion::Prefixed) {
        std::uint32_t streamVersion = 0;
        if (Status status = reader.ReadU32(streamVersion); Failed(status))
            return status;
        if (streamVersion != kStreamVersion)
            return kFail;
    }
    std::uint32_t size = 0;
    if (Status status = reader.ReadU32(size); Failed(status))
        return status;
    if (size > reader.Remaining())
        return kInvalidData;
    const std::size_t position = reader.Position();
    const std::size_t copied = std::min<std::size_t>(size, expectedSize);
    block.assign(expectedSize, 0);
    std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(position), copied, block.begin());
    storedSize = size;
    return kOk;
}

}  // namespace profiles
