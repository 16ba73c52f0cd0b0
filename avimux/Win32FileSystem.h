// Multiplexer files on Windows: unbuffered, sector size of the volume; UTF-8 names
// opened through the wide-character file functions.
#pragma once

#include "MuxFile.h"

namespace trelvox {

class Win32FileSystem : public MuxFileSystem {
public:
    HResult SectorSize(const std::string& path, uint32_t* bytes) override;
    HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override;
    HResult Delete(const std::string& path) override;
};

}  // namespace trelvox
