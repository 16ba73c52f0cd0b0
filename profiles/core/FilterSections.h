// The parts of the filter streams ("VideoCompressor", "AudioCompressor", "Mux",
// "PreviewFilters") that the profile itself reads and writes. A filter's own
// persisted data follows a "PSH" marker and is read and written by the filter.
#pragma once

#include "ByteReader.h"
#include "ByteWriter.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace profiles {

struct StoredFilterNames {
    std::u16string friendlyName;
    std::u16string displayName;
};

// Stream version, then the two names.
void EncodeFilterHeader(ByteWriter& writer, const StoredFilterNames& names);
Status DecodeFilterHeader(ByteReader& reader, StoredFilterNames& names);

// Friendly name and display name of one "PreviewFilters" entry.
void EncodeFilterNames(ByteWriter& writer, const StoredFilterNames& names);
Status DecodeFilterNames(ByteReader& reader, StoredFilterNames& names);

// Driver-state section of the video compressor: "VFWN", or "VFWH", u32 K and K bytes.
void EncodeNoDriverState(ByteWriter& writer);
void EncodeDriverState(ByteWriter& writer, std::span<const std::uint8_t> state);
Status DecodeDriverState(ByteReader& reader, bool& present, std::vector<std::uint8_t>& state);

// Persisted-state marker: "PSN" or "PSH"; any other text is damage.
void EncodePersistMarker(ByteWriter& writer, bool hasState);
Status DecodePersistMarker(ByteReader& reader, bool& hasState);

// "PreviewFilters" starts with the stream version and the entry count.
void EncodeFilterListHeader(ByteWriter& writer, std::uint32_t count);
Status DecodeFilterListHeader(ByteReader& reader, std::uint32_t& count);

}  // namespace profiles
