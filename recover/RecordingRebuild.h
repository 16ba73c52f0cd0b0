// A new file from the chunks a scan found: the same layout the multiplexer writes,
// with the final header, idx1 and, for OpenDML, the standard and super indexes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "InputFile.h"
#include "MuxFile.h"
#include "RecordingScan.h"

namespace trelvox::recover {

// E_ABORT: the rebuild was stopped by its progress callback.
constexpr HResult kE_ABORT = static_cast<HResult>(0x80004004);

// Told the chunk bytes copied so far and in all after each batch; false stops the rebuild.
using RebuildProgress = std::function<bool(uint64_t doneBytes, uint64_t totalBytes)>;

// Writes `outPath` through `fs`; on failure or when stopped the output is deleted.
HResult RebuildRecording(InputFile& in, const RecordingScan& scan, MuxFileSystem& fs, const std::string& outPath,
                         const RebuildProgress& progress = {});

}  // namespace trelvox::recover
