#include "MemoryFileSystem.h"

#include <algorithm>

namespace trelvox {

class MemoryFile : public MuxFile {
public:
    MemoryFile(MemoryFileSystem& fs, std::shared_ptr<MemoryFileSystem::Content> content)
        : fs_(fs),
          content_(std::move(content))
    {
        content_->open = true;
    }
    ~MemoryFile() override { Close(); }

    HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override
    {
        const uint32_t s = fs_.sectorSize_;
        if (offset % s != 0 || length % s != 0 || reinterpret_cast<uintptr_t>(data) % s != 0) {
            ++fs_.misalignedWrites;
            return kE_INVALIDARG;
        }
        const HResult hr = fs_.NextWriteResult();
        if (Failed(hr))
            return hr;
        std::vector<uint8_t>& bytes = content_->bytes;
        if (bytes.size() < offset + length)
            bytes.resize(offset + length);
        std::copy(data, data + length, bytes.begin() + static_cast<ptrdiff_t>(offset));
        content_->writes.push_back({offset, std::vector<uint8_t>(data, data + length)});
        return kS_OK;
    }

    HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override
    {
        *read = 0;
        const uint32_t s = fs_.sectorSize_;
        if (offset % s != 0 || length % s != 0 || reinterpret_cast<uintptr_t>(data) % s != 0) {
            ++fs_.misalignedReads;
            return kE_INVALIDARG;
        }
        const std::vector<uint8_t>& bytes = content_->bytes;
        if (offset >= bytes.size())
            return kS_OK;
        *read = static_cast<uint32_t>(std::min<uint64_t>(length, bytes.size() - offset));
        std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(offset), *read, data);
        return kS_OK;
    }

    HResult SetEnd(uint64_t length) override
    {
        content_->bytes.resize(length);
        return kS_OK;
    }

    HResult Close() override
    {
        content_->open = false;
        return kS_OK;
    }

private:
    MemoryFileSystem& fs_;
    std::shared_ptr<MemoryFileSystem::Content> content_;
};

HResult MemoryFileSystem::SectorSize(const std::string&, uint32_t* bytes)
{
    *bytes = sectorSize_;
    return kS_OK;
}

HResult MemoryFileSystem::Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file,
                                 bool* existed)
{
    auto failure = failCreate_.find(path);
    if (failure != failCreate_.end())
        return failure->second;
    auto& content = files_[path];
    *existed = content != nullptr;
    if (!content)
        content = std::make_shared<Content>();
    if (mode == CreateMode::CreateAlways)
        content->bytes.clear();
    file->reset(new MemoryFile(*this, content));
    return kS_OK;
}

HResult MemoryFileSystem::Delete(const std::string& path)
{
    return files_.erase(path) ? kS_OK : HResultFromWin32(2);
}

void MemoryFileSystem::Put(const std::string& path, std::vector<uint8_t> bytes)
{
    files_[path] = std::make_shared<Content>();
    files_[path]->bytes = std::move(bytes);
}

std::set<std::string> MemoryFileSystem::Names() const
{
    std::set<std::string> names;
    for (const auto& entry : files_)
        names.insert(entry.first);
    return names;
}

HResult MemoryFileSystem::NextWriteResult()
{
    return ++writes_ == failWrite_ ? writeFailure_ : kS_OK;
}

}  // namespace trelvox
