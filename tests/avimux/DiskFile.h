// A file on disk as the structure check reads it.
#pragma once

#include <filesystem>
#include <fstream>

#include "AviCheck.h"

namespace trelvox::test {

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
