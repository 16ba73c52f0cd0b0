// Files that keep their layout but not their zero pages: a recording of gigabytes of
// zero-filled samples costs only what is not zero (headers, chunk and JUNK headers,
// indexes). Reading gives back the exact bytes, zeros where nothing else was written.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "MuxFile.h"

namespace trelvox::test {

class SparseFileSystem : public MuxFileSystem {
public:
    struct Extent {
        uint64_t offset;
        uint32_t length;
    };

    class Content {
    public:
        uint64_t Size() const { return size_; }
        std::vector<uint8_t> Read(uint64_t offset, uint32_t length) const;
        uint32_t U32(uint64_t at) const;
        uint64_t U64(uint64_t at) const;
        std::string Id(uint64_t at) const;
        const std::vector<Extent>& Writes() const { return writes_; }
        // Copies the bytes into a real file, leaving holes for the zero pages.
        bool SaveSparse(const std::string& path) const;

    private:
        friend class SparseFile;
        static constexpr uint32_t kPage = 4096;
        void Store(uint64_t offset, const uint8_t* data, uint32_t length);
        void Truncate(uint64_t length);

        uint64_t size_ = 0;
        std::map<uint64_t, std::unique_ptr<uint8_t[]>> pages_;  // by page number
        std::vector<Extent> writes_;                            // every write, in order
    };

    explicit SparseFileSystem(uint32_t sectorSize = 512) : sectorSize_(sectorSize) {}

    HResult SectorSize(const std::string& path, uint32_t* bytes) override;
    HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override;
    HResult Delete(const std::string& path) override;

    const Content& File(const std::string& path) const { return *files_.at(path); }
    bool Exists(const std::string& path) const { return files_.count(path) != 0; }
    // Writes that would fail on an unbuffered Windows handle.
    int misalignedWrites = 0;

private:
    friend class SparseFile;
    uint32_t sectorSize_;
    std::map<std::string, std::shared_ptr<Content>> files_;
};

}  // namespace trelvox::test
