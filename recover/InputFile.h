// A recording read by offset, without ever reading past its end. Small reads (chunk
// headers) come from a window of the file kept in memory; large ones go straight in.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace trelvox::recover {

class InputFile {
public:
    bool Open(const std::string& path);  // UTF-8
    void Close() { stream_.close(); }
    uint64_t Size() const { return size_; }
    // False when the range is not all inside the file or the read fails.
    bool Read(uint64_t offset, uint32_t length, uint8_t* out);
    uint32_t U32(uint64_t offset);    // 0 outside the file
    std::string Id(uint64_t offset);  // empty outside the file

private:
    bool ReadFromFile(uint64_t offset, uint32_t length, uint8_t* out);

    std::ifstream stream_;
    std::vector<uint8_t> window_;
    uint64_t windowStart_ = 0;
    uint32_t windowBytes_ = 0;
    uint64_t size_ = 0;
};

}  // namespace trelvox::recover
