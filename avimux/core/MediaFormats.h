// The connected video and audio formats, as the file layout needs them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "MuxTypes.h"

namespace trelvox {

struct VideoFormat {
    int64_t frameDuration = 0;              // AvgTimePerFrame, 100 ns
    std::vector<uint8_t> bitmapInfoHeader;  // the first biSize bytes

    uint32_t BiSize() const { return static_cast<uint32_t>(bitmapInfoHeader.size()); }
    int32_t Width() const;
    int32_t Height() const;
    uint32_t Compression() const;
};

struct AudioFormat {
    std::vector<uint8_t> waveFormat;  // WAVEFORMATEX and its extra bytes (cbFormat bytes)

    uint32_t CbFormat() const { return static_cast<uint32_t>(waveFormat.size()); }
    uint16_t Channels() const;
    uint32_t SamplesPerSec() const;
    uint32_t AvgBytesPerSec() const;
    uint16_t BlockAlign() const;
    void SetRates(uint32_t samplesPerSec, uint32_t avgBytesPerSec);
};

enum class VideoFormatKind { VideoInfo, VideoInfo2 };

// Reads AvgTimePerFrame (byte 40) and the BITMAPINFOHEADER (byte 48 of VIDEOINFOHEADER,
// 72 of VIDEOINFOHEADER2) from a format block. Fails on a block too short for its biSize.
HResult VideoFormatFromBlock(VideoFormatKind kind, const uint8_t* block, uint32_t length, VideoFormat* format);
// A WAVEFORMATEX format block; fails when shorter than 16 bytes or without block alignment.
HResult AudioFormatFromBlock(const uint8_t* block, uint32_t length, AudioFormat* format);

// The formats of the connected input pins; an unconnected pin has none.
struct MuxInputs {
    std::optional<VideoFormat> video;
    std::optional<AudioFormat> audio;
};

}  // namespace trelvox
