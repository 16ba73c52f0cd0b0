#include "SizeOnlyFileSystem.h"

#include <algorithm>
#include <cstring>

namespace trelvox::bench {

class SizeOnlyFile : public MuxFile {
public:
    SizeOnlyFile(SizeOnlyFileSystem& fs, std::shared_ptr<uint64_t> length) : fs_(fs), length_(std::move(length)) {}

    HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override
    {
        const uint32_t s = fs_.sectorSize_;
        if (offset % s != 0 || length % s != 0 || reinterpret_cast<uintptr_t>(data) % s != 0) {
            ++fs_.misalignedWrites_;
            return kE_INVALIDARG;
        }
        *length_ = std::max(*length_, offset + length);
        fs_.bytesWritten_ += length;
        return kS_OK;
    }
    HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override
    {
        *read = offset >= *length_ ? 0 : static_cast<uint32_t>(std::min<uint64_t>(length, *length_ - offset));
        std::memset(data, 0, *read);
        return kS_OK;
    }
    HResult SetEnd(uint64_t length) override
    {
        *length_ = length;
        return kS_OK;
    }
    HResult Close() override { return kS_OK; }

private:
    SizeOnlyFileSystem& fs_;
    std::shared_ptr<uint64_t> length_;
};

HResult SizeOnlyFileSystem::SectorSize(const std::string&, uint32_t* bytes)
{
    *bytes = sectorSize_;
    return kS_OK;
}

HResult SizeOnlyFileSystem::Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file,
                                   bool* existed)
{
    std::shared_ptr<uint64_t>& length = lengths_[path];
    *existed = length != nullptr;
    if (!length)
        length = std::make_shared<uint64_t>(0);
    if (mode == CreateMode::CreateAlways)
        *length = 0;
    file->reset(new SizeOnlyFile(*this, length));
    return kS_OK;
}

HResult SizeOnlyFileSystem::Delete(const std::string& path)
{
    return lengths_.erase(path) ? kS_OK : HResultFromWin32(2);  // ERROR_FILE_NOT_FOUND
}

}  // namespace trelvox::bench
