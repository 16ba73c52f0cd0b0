// Files as the multiplexer writes them: unbuffered, every write at a sector boundary,
// a multiple of the sector size long, from a sector-aligned buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "MuxTypes.h"

namespace trelvox {

class MuxFile {
public:
    virtual ~MuxFile() = default;
    virtual HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) = 0;
    // Under the same rules; `read` gets the bytes read, fewer at the end of the file.
    virtual HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) = 0;
    virtual HResult SetEnd(uint64_t length) = 0;
    virtual HResult Close() = 0;
};

enum class CreateMode {
    OpenAlways,    // reuse an existing file as it is, without truncating it
    CreateAlways,  // truncate an existing file
};

// Paths are UTF-8.
class MuxFileSystem {
public:
    virtual ~MuxFileSystem() = default;
    // Bytes per sector of the volume holding `path`.
    virtual HResult SectorSize(const std::string& path, uint32_t* bytes) = 0;
    // Opens `path` for reading and writing; `existed` tells whether it was there before.
    virtual HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) = 0;
    virtual HResult Delete(const std::string& path) = 0;
};

}  // namespace trelvox
