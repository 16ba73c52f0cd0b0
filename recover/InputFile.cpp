#include "InputFile.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "Utf8Paths.h"

namespace trelvox::recover {

namespace {

constexpr uint32_t kWindowBytes = 1u << 20;

}  // namespace

bool InputFile::Open(const std::string& path)
{
    stream_.rdbuf()->pubsetbuf(nullptr, 0);  // the window is the buffer
    stream_.open(PathFromUtf8(path), std::ios::binary);
    if (!stream_)
        return false;
    stream_.seekg(0, std::ios::end);
    const std::streamoff end = stream_.tellg();
    if (end < 0)
        return false;
    size_ = static_cast<uint64_t>(end);
    return true;
}

bool InputFile::Read(uint64_t offset, uint32_t length, uint8_t* out)
{
    if (offset > size_ || length > size_ - offset)
        return false;
    if (offset >= windowStart_ && offset + length <= windowStart_ + windowBytes_) {
        std::memcpy(out, window_.data() + (offset - windowStart_), length);
        return true;
    }
    if (length >= kWindowBytes / 4)
        return ReadFromFile(offset, length, out);
    window_.resize(kWindowBytes);
    windowStart_ = offset;
    windowBytes_ = static_cast<uint32_t>(std::min<uint64_t>(kWindowBytes, size_ - offset));
    if (!ReadFromFile(windowStart_, windowBytes_, window_.data())) {
        windowBytes_ = 0;
        return false;
    }
    std::memcpy(out, window_.data(), length);
    return true;
}

bool InputFile::ReadFromFile(uint64_t offset, uint32_t length, uint8_t* out)
{
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    stream_.read(reinterpret_cast<char*>(out), length);
    return static_cast<uint64_t>(stream_.gcount()) == length;
}

uint32_t InputFile::U32(uint64_t offset)
{
    uint8_t b[4];
    return Read(offset, 4, b) ? GetU32(b) : 0;
}

std::string InputFile::Id(uint64_t offset)
{
    char b[4];
    return Read(offset, 4, reinterpret_cast<uint8_t*>(b)) ? std::string(b, 4) : std::string();
}

}  // namespace trelvox::recover
