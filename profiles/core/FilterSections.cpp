#include "FilterSections.h"

#include "ProfileFormat.h"

namespace profiles {
namespace {

Status ReadStreamVersion(ByteReader& reader)
{
    std::uint32_t version = 0;
    if (Status status = reader.ReadU32(version); Failed(status))
        return status;
    return version == kStreamVersion ? kOk : kFail;
}

// Smallest stored list entry: two empty strings and "PSN".
constexpr std::size_t kMinimumListEntryBytes = 6 + 6 + 4 + 2 * 4;

}  // namespace

void EncodeFilterNames(ByteWriter& writer, const StoredFilterNames& names)
{
    writer.WriteString(names.friendlyName);
    writer.WriteString(names.displayName);
}

Status DecodeFilterNames(ByteReader& reader, StoredFilterNames& names)
{
    StoredFilterNames read;
    if (Status status = reader.ReadString(read.friendlyName); Failed(status))
        return status;
    if (Status status = reader.ReadString(read.displayName); Failed(status))
        return status;
    names = std::move(read);
    return kOk;
}

void EncodeFilterHeader(ByteWriter& writer, const StoredFilterNames& names)
{
    writer.WriteU32(kStreamVersion);
    EncodeFilterNames(writer, names);
}

Status DecodeFilterHeader(ByteReader& reader, StoredFilterNames& names)
{
    if (Status status = ReadStreamVersion(reader); Failed(status))
        return status;
    return DecodeFilterNames(reader, names);
}

void EncodeNoDriverState(ByteWriter& writer)
{
    writer.WriteString(kNoDriverState);
}

void EncodeDriverState(ByteWriter& writer, std::span<const std::uint8_t> state)
{
    writer.WriteString(kDriverState);
    writer.WriteU32(static_cast<std::uint32_t>(state.size()));
    writer.WriteBytes(state);
}

Status DecodeDriverState(ByteReader& reader, bool& present, std::vector<std::uint8_t>& state)
{
    std::u16string marker;
    if (Status status = reader.ReadString(marker); Failed(status))
        return status;
    if (marker == kNoDriverState) {
        present = false;
        state.clear();
        return kOk;
    }
    if (marker != kDriverState)
        return kInvalidData;
    std::uint32_t size = 0;
    if (Status status = reader.ReadU32(size); Failed(status))
        return status;
    if (Status status = reader.ReadBytes(size, state); Failed(status))
        return status;
    present = true;
    return kOk;
}

void EncodePersistMarker(ByteWriter& writer, bool hasState)
{
    writer.WriteString(hasState ? kPersistedState : kNoPersistedState);
}

Status DecodePersistMarker(ByteReader& reader, bool& hasState)
{
    std::u16string marker;
    if (Status status = reader.ReadString(marker); Failed(status))
        return status;
    if (marker != kPersistedState && marker != kNoPersistedState)
        return kInvalidData;
    hasState = marker == kPersistedState;
    return kOk;
}

void EncodeFilterListHeader(ByteWriter& writer, std::uint32_t count)
{
    writer.WriteU32(kStreamVersion);
    writer.WriteU32(count);
}

Status DecodeFilterListHeader(ByteReader& reader, std::uint32_t& count)
{
    if (Status status = ReadStreamVersion(reader); Failed(status))
        return status;
    std::uint32_t stored = 0;
    if (Status status = reader.ReadU32(stored); Failed(status))
        return status;
    if (stored > reader.Remaining() / kMinimumListEntryBytes)
        return kInvalidData;
    count = stored;
    return kOk;
}

}  // namespace profiles
