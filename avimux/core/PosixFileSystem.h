// Multiplexer files on a POSIX system: O_DIRECT where the file system takes it,
// ordinary writes where it does not.
#pragma once

#include "MuxFile.h"

namespace trelvox {

class PosixFileSystem : public MuxFileSystem {
public:
    explicit PosixFileSystem(uint32_t sectorSize = 512) : sectorSize_(sectorSize) {}

    HResult SectorSize(const std::string& path, uint32_t* bytes) override;
    HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override;
    HResult Delete(const std::string& path) override;

private:
    uint32_t sectorSize_;
};

}  // namespace trelvox
