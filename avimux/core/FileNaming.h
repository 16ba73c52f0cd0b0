// Names of the output files made from the name the client gives (without extension).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "MuxTypes.h"

namespace trelvox {

constexpr size_t kMaxOutputNameChars = 252;

// S_OK for a name of at most 252 characters, else ERROR_FILENAME_EXCED_RANGE.
HResult CheckOutputNameLength(size_t characters);

// Mode 0: "%s%03lu.avi" - name000.avi, name001.avi, ...
std::string SetFileName(const std::string& name, uint32_t index);
// Mode 1: "%s.avi".
std::string SingleFileName(const std::string& name);

// "C:\" for "C:\dir\name": the name up to and including its first backslash.
std::string VolumeRoot(const std::string& name);

}  // namespace trelvox
