#include "AudioFormatList.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "ProfileFormat.h"

namespace profiles {
namespace {

constexpr std::size_t kCbSizeOffset = 16;

Status EncodeFormat(ByteWriter& writer, const std::vector<std::uint8_t>& format)
{
    if (format.empty()) {
        writer.WriteU32(0);
        return kOk;
    }
    if (!HoldsWholeWaveFormat(format))
        return kInvalidArg;
    const std::size_t size = WaveFormatSize(format);
    writer.WriteU32(static_cast<std::uint32_t>(size));
    writer.WriteBytes(std::span(format).first(size));
    return kOk;
}

Status DecodeFormat(ByteReader& reader, std::vector<std::uint8_t>& format)
{
    std::uint32_t size = 0;
    if (Status status = reader.ReadU32(size); Failed(status))
        return status;
    if (size == 0) {
        format.clear();
        return kOk;
    }
    if (size < kWaveFormatBaseSize)
        return kInvalidData;
    if (Status status = reader.ReadBytes(size, format); Failed(status))
        return status;
    return WaveFormatSize(format) == size ? kOk : kInvalidData;
}

}  // namespace

std::size_t WaveFormatSize(std::span<const std::uint8_t> format)
{
    if (format.size() < kWaveFormatBaseSize)
        return 0;
    return kWaveFormatBaseSize + (format[kCbSizeOffset] | format[kCbSizeOffset + 1] << 8);
}

bool HoldsWholeWaveFormat(std::span<const std::uint8_t> format)
{
    const std::size_t size = WaveFormatSize(format);
    return size != 0 && size <= format.size();
}

Status EncodeAudioFormatList(const std::vector<AudioFormatPair>& pairs, std::vector<std::uint8_t>& stream)
{
    ByteWriter writer;
    writer.WriteU32(kStreamVersion);
    writer.WriteU32(static_cast<std::uint32_t>(pairs.size()));
    for (const AudioFormatPair& pair : pairs) {
        if (Status status = EncodeFormat(writer, pair.input); Failed(status))
            return status;
        if (Status status = EncodeFormat(writer, pair.output); Failed(status))
            return status;
    }
    stream = writer.Take();
    return kOk;
}

Status DecodeAudioFormatList(std::span<const std::uint8_t> stream, std::vector<AudioFormatPair>& pairs)
{
    ByteReader reader(stream);
    std::uint32_t version = 0;
    if (Status status = reader.ReadU32(version); Failed(status))
        return status;
    if (version != kStreamVersion)
        return kFail;
    std::uint32_t count = 0;
    if (Status status = reader.ReadU32(count); Failed(status))
        return status;
    // Each pair takes at least its two lengths.
    if (count > reader.Remaining() / 8)
        return kInvalidData;
    std::vector<AudioFormatPair> read;
    for (std::uint32_t i = 0; i < count; ++i) {
        AudioFormatPair pair;
        if (Status status = DecodeFormat(reader, pair.input); Failed(status))
            return status;
        if (Status status = DecodeFormat(reader, pair.output); Failed(status))
            return status;
        read.push_back(std::move(pair));
    }
    pairs = std::move(read);
    return kOk;
}

}  // namespace profiles
