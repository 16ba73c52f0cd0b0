// A structure check of a recorded AVI 1.0 or OpenDML file, from its bytes alone: every
// RIFF within the file, every idx1 entry and every entry of both OpenDML index levels
// pointing at a chunk of its stream inside the file, and no AVIF_HASINDEX without an
// idx1. A header left provisional (sizes 0) is walked to the end of the file, over the
// zero sectors of index chunks and RIFF headers that were never written.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "AviWalker.h"

namespace trelvox::test {

struct AviCheck {
    std::vector<std::string> problems;  // empty when the file is sound
    bool provisional = false;           // the header still has sizes 0
    bool claimsIndex = false;           // AVIF_HASINDEX
    int riffs = 0;
    int superIndexEntries = 0;        // all streams
    std::set<uint64_t> walkedVideo;   // video chunk offsets found in movi
    std::set<uint64_t> indexedVideo;  // found through idx1 or the standard indexes
    std::set<uint64_t> nullFrames;    // the video chunks of no data among them
    // Video chunks a reader finds one way or the other.
    size_t VideoChunks() const;
    size_t Pictures() const { return VideoChunks() - nullFrames.size(); }
    std::string Problems() const;
};

AviCheck CheckAvi(const ByteSource& file, uint32_t sectorSize = 512);

}  // namespace trelvox::test
