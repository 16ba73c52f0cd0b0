// Files in memory for the multiplexer tests, checking the unbuffered-I/O rules and able
// to fail a chosen write or creation.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MuxFile.h"

namespace trelvox {

class MemoryFileSystem : public MuxFileSystem {
public:
    struct Write {
        uint64_t offset;
        std::vector<uint8_t> data;
    };
    struct Content {
        std::vector<uint8_t> bytes;
        std::vector<Write> writes;  // every write, in order
        bool open = false;
    };

    explicit MemoryFileSystem(uint32_t sectorSize = 512) : sectorSize_(sectorSize) {}

    HResult SectorSize(const std::string& path, uint32_t* bytes) override;
    HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override;
    HResult Delete(const std::string& path) override;

    // Faults: the n-th write (counting from 1 over all files) fails with `result`;
    // creating `path` fails with `result`.
    void FailWrite(int n, HResult result) { failWrite_ = n, writeFailure_ = result; }
    void FailCreate(const std::string& path, HResult result) { failCreate_[path] = result; }

    bool Exists(const std::string& path) const { return files_.count(path) != 0; }
    const std::vector<uint8_t>& Bytes(const std::string& path) const { return files_.at(path)->bytes; }
    const Content& File(const std::string& path) const { return *files_.at(path); }
    void Put(const std::string& path, std::vector<uint8_t> bytes);
    std::set<std::string> Names() const;
    // Misaligned writes seen (they would fail on an unbuffered Windows handle).
    int misalignedWrites = 0;
    int misalignedReads = 0;

private:
    friend class MemoryFile;
    HResult NextWriteResult();

    uint32_t sectorSize_;
    std::map<std::string, std::shared_ptr<Content>> files_;
    std::map<std::string, HResult> failCreate_;
    int writes_ = 0;
    int failWrite_ = 0;
    HResult writeFailure_ = kS_OK;
};

}  // namespace trelvox
