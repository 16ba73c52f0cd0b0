// What an interrupted recording holds: the formats from its provisional header and the
// complete chunks from the start of movi up to the first chunk that is cut off or is
// not one of ours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AviHeader.h"
#include "InputFile.h"
#include "MediaFormats.h"
#include "MuxTypes.h"

namespace trelvox::recover {

struct ScannedChunk {
    StreamKind stream;
    uint64_t offset;  // of the chunk header
    uint32_t size;
    bool key;
};

struct RecordingScan {
    bool openDml = false;
    bool finished = false;  // the RIFF carries its size: stopped normally
    uint32_t sectorSize = 0;
    uint32_t headerSize = 0;
    MuxInputs inputs;
    AviRunFigures run;
    std::vector<ScannedChunk> chunks;
    uint64_t dataEnd = 0;  // after the last complete chunk and its JUNK
    uint64_t fileSize = 0;
    uint32_t videoFrames = 0, nullFrames = 0, audioChunks = 0;
    uint64_t audioBlocks = 0;
};

// False with a message when the file is not a recording of this multiplexer.
bool ScanRecording(InputFile& in, RecordingScan* scan, std::string* error);

}  // namespace trelvox::recover
