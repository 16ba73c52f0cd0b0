// A new file from the chunks a scan found: the same layout the multiplexer writes,
// with the final header, idx1 and, for OpenDML, the standard and super indexes.
#pragma once

#include <string>

#include "InputFile.h"
#include "MuxFile.h"
#include "RecordingScan.h"

namespace trelvox::recover {

// Writes `outPath` through `fs`; on failure the output is deleted.
HResult RebuildRecording(InputFile& in, const RecordingScan& scan, MuxFileSystem& fs,
                         const std::string& outPath);

}  // namespace trelvox::recover
