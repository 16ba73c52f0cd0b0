#include "ProfileHeader.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "ProfileFormat.h"

#include <string>

namespace profiles {

std::vector<std::uint8_t> EncodeProfileHeader()
{
    ByteWriter writer;
    writer.WriteString(kMagic);
    writer.WriteString(kFormatVersion);
    return writer.Take();
}

Status CheckProfileHeader(std::span<const std::uint8_t> stream)
{
    ByteReader reader(stream);
    std::u16string magic;
    std::u16string version;
    if (Status status = reader.ReadString(magic); Failed(status))
        return status;
    if (magic != kMagic)
        return kFail;
    if (Status status = reader.ReadString(version); Failed(status))
        return status;
    return version == kFormatVersion ? kOk : kFail;
}

}  // namespace profiles
