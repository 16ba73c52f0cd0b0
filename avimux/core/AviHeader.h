// The header region of an AVI 1.0 file: RIFF, hdrl with avih and one strl per
// connected stream, JUNK up to the sector boundary, and the movi list header.
#pragma once

#include <cstdint>

#include "MediaFormats.h"
#include "MuxSettings.h"

namespace trelvox {

// What an OpenDML header adds: a super index slot of `indexBlockBytes` in each strl
// (filled from the held blocks) and the odml list with the total frame count.
struct OdmlHeaderParts {
    uint32_t indexBlockBytes = 0;  // X
    // 0x7E00 bytes each; without one the slot is JUNK.
    const uint8_t* videoSuperIndex = nullptr;
    const uint8_t* audioSuperIndex = nullptr;
    uint32_t totalFrames = 0;
};

// H: the header region's size for the connected formats, padded to the sector size;
// with `indexBlockBytes` (X) the size of an OpenDML header.
uint32_t AviHeaderSize(const MuxInputs& inputs, uint32_t sectorSize, uint32_t indexBlockBytes = 0);

// What the run knows when a header is built (rates already corrected).
struct AviRunFigures {
    int64_t frameDuration = 0;  // T; 0 while the samples have not told it
    uint32_t sectorSize = 0;
    uint32_t maxVideoSample = 0;
    uint32_t maxAudioSample = 0;
    uint32_t fourccOverride = 0;
};

// One file's part of its header.
struct AviFileFigures {
    uint32_t headerSize = 0;  // H
    uint32_t moviBytes = 0;
    uint32_t indexRegionBytes = 0;  // I, the padded idx1 region
    uint32_t videoFrames = 0;
    uint32_t audioBlocks = 0;
    uint32_t videoStart = 0;  // dwStart, first file only
    uint32_t audioStart = 0;
    // Provisional header of a file still being written: the RIFF and movi sizes are 0,
    // which readers take as "up to the end of the file".
    bool openEnded = false;
    // AVIF_HASINDEX: the idx1 is there. Never set in a provisional header.
    bool indexed = true;
};

// Fills `out` (headerSize bytes, zeroed by the caller) with the header region.
void BuildAviHeader(uint8_t* out, const MuxInputs& inputs, const AviRunFigures& run, const AviFileFigures& file,
                    const OdmlHeaderParts* odml = nullptr);

// dwStart of the first file, from the first stream times and the delay settings.
uint32_t VideoStartFrames(int64_t firstVideoTime, int64_t firstAudioTime, int64_t frameDuration,
                          const MuxSettings& settings);
uint32_t AudioStartBlocks(int64_t firstVideoTime, int64_t firstAudioTime, const AudioFormat& audio,
                          const MuxSettings& settings);

}  // namespace trelvox
