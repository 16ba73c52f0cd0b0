#include "FaultFileSystem.h"

#include <algorithm>
#include <cstring>

namespace trelvox::test {

class FaultFile : public MuxFile {
public:
    FaultFile(FaultFileSystem& fs, std::string path, std::unique_ptr<MuxFile> inner)
        : fs_(fs),
          path_(std::move(path)),
          inner_(std::move(inner))
    {
    }

    HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override
    {
        const HResult hr = fs_.Next(FaultOperation::Write, offset + length > size_);
        if (Failed(hr))
            return hr;
        const HResult written = inner_->Write(offset, data, length);
        if (Succeeded(written)) {
            fs_.CountChunks(path_, data, length);
            size_ = std::max(size_, offset + length);
        }
        return written;
    }
    HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override
    {
        return inner_->Read(offset, data, length, read);
    }
    HResult SetEnd(uint64_t length) override
    {
        HResult hr = fs_.Next(FaultOperation::SetEnd, length > size_);
        if (Succeeded(hr))
            hr = inner_->SetEnd(length);
        if (Succeeded(hr))
            size_ = length;
        return hr;
    }
    HResult Close() override
    {
        const HResult hr = fs_.Next(FaultOperation::Close);
        const HResult closed = inner_->Close();
        return Failed(hr) ? hr : closed;
    }

private:
    FaultFileSystem& fs_;
    std::string path_;
    std::unique_ptr<MuxFile> inner_;
    uint64_t size_ = 0;  // files are made new on the disks of the campaign
};

HResult FaultFileSystem::Next(FaultOperation operation, bool grows)
{
    ++operations_;
    if (operations_ == failAt_)
        return Inject(operation, error_);
    if (fillAt_ > 0 && operations_ >= fillAt_ && grows)
        return Inject(operation, kDiskFull);
    return kS_OK;
}

HResult FaultFileSystem::Inject(FaultOperation operation, HResult error)
{
    if (!injected_)
        injectedOperation_ = operation;
    injected_ = true;
    return error;
}

// A write of movi data starts with a chunk: walk its chunks and JUNK to the end.
void FaultFileSystem::CountChunks(const std::string& path, const uint8_t* data, uint32_t length)
{
    for (uint64_t at = 0; at + 8 <= length;) {
        uint32_t size;
        std::memcpy(&size, data + at + 4, 4);
        const bool video = std::memcmp(data + at, "00dc", 4) == 0 || std::memcmp(data + at, "00db", 4) == 0;
        const bool audio = std::memcmp(data + at + 2, "wb", 2) == 0 && data[at] == '0';
        if (!video && !audio && std::memcmp(data + at, "JUNK", 4) != 0)
            return;
        if (video)
            ++videoChunks_[path];
        at += 8ull + size + (size & 1u);
    }
}

int FaultFileSystem::VideoChunksWritten(const std::string& path) const
{
    const auto found = videoChunks_.find(path);
    return found == videoChunks_.end() ? 0 : found->second;
}

HResult FaultFileSystem::SectorSize(const std::string& path, uint32_t* bytes)
{
    const HResult hr = Next(FaultOperation::Query);
    return Failed(hr) ? hr : inner_.SectorSize(path, bytes);
}

HResult FaultFileSystem::Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed)
{
    const HResult hr = Next(FaultOperation::Create);
    if (Failed(hr))
        return hr;
    std::unique_ptr<MuxFile> inner;
    const HResult created = inner_.Create(path, mode, &inner, existed);
    if (Failed(created))
        return created;
    file->reset(new FaultFile(*this, path, std::move(inner)));
    return kS_OK;
}

HResult FaultFileSystem::Delete(const std::string& path)
{
    videoChunks_.erase(path);
    return inner_.Delete(path);
}

}  // namespace trelvox::test
