#include "DiskFile.h"

namespace trelvox::test {

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

DiskFile::DiskFile(const std::filesystem::path& path) : in_(path, std::ios::binary)
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    source_.size = ec ? 0 : size;
    source_.read = [this](uint64_t offset, uint32_t length) {
        std::vector<uint8_t> b(length);
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(reinterpret_cast<char*>(b.data()), length);
        return b;
    };
}

}  // namespace trelvox::test
