// An audio format list entry's output format as a media type for the
// compressor's output pin, and its description for the report.
#pragma once

#include "dshowbase/MediaType.h"

#include <cstdint>
#include <string>
#include <vector>

// Audio, subtype from the format tag (or the extensible SubFormat), fixed-size
// samples of nBlockAlign; the format block is 18 bytes for PCM, else 18 + cbSize.
HRESULT AudioMediaTypeFromFormat(const std::vector<std::uint8_t>& format, CMediaType& type);

// The compression manager's tag name, a blank and its text for the format;
// empty when either cannot be had.
std::wstring DescribeAudioFormat(const std::vector<std::uint8_t>& format);
