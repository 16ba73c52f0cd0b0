// Files that keep no data, only their length: a recording of hundreds of gigabytes costs
// the process nothing per write. Reads give zeros up to the length. Writes are checked
// for the unbuffered-I/O rules and counted.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "MuxFile.h"

namespace trelvox::bench {

class SizeOnlyFileSystem : public MuxFileSystem {
public:
    explicit SizeOnlyFileSystem(uint32_t sectorSize) : sectorSize_(sectorSize) {}

    HResult SectorSize(const std::string& path, uint32_t* bytes) override;
    HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override;
    HResult Delete(const std::string& path) override;

    uint64_t BytesWritten() const { return bytesWritten_; }
    int MisalignedWrites() const { return misalignedWrites_; }
    size_t Files() const { return lengths_.size(); }

private:
    friend class SizeOnlyFile;
    uint32_t sectorSize_;
    std::map<std::string, std::shared_ptr<uint64_t>> lengths_;
    uint64_t bytesWritten_ = 0;
    int misalignedWrites_ = 0;
};

}  // namespace trelvox::bench
