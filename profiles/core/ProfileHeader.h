// The "COMMON" stream: magic text and format version.
#pragma once

#include "ProfileStatus.h"

#include <cstdint>
#include <span>
#include <vector>

namespace profiles {

std::vector<std::uint8_t> EncodeProfileHeader();
// kFail when the magic or the version differ; kInvalidData when the stream is cut short.
Status CheckProfileHeader(std::span<const std::uint8_t> stream);

}  // namespace profiles
