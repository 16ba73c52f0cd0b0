// A file on disk as the structure check reads it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "AviCheck.h"

namespace trelvox::test {

// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);

class DiskFile {
public:
    explicit DiskFile(const std::filesystem::path& path);
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;
    const ByteSource& Source() const { return source_; }

private:
    std::ifstream in_;
    ByteSource source_;
};

}  // namespace trelvox::test
