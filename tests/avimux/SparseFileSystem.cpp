#include "SparseFileSystem.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "ByteOrder.h"

namespace trelvox::test {

class SparseFile : public MuxFile {
public:
    SparseFile(SparseFileSystem& fs, std::shared_ptr<SparseFileSystem::Content> content)
        : fs_(fs),
          content_(std::move(content))
    {
    }

    HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override
    {
        const uint32_t s = fs_.sectorSize_;
        if (offset % s != 0 || length % s != 0 || reinterpret_cast<uintptr_t>(data) % s != 0) {
            ++fs_.misalignedWrites;
            return kE_INVALIDARG;
        }
        content_->Store(offset, data, length);
        return kS_OK;
    }
    HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override
    {
        *read = 0;
        if (offset >= content_->Size())
            return kS_OK;
        *read = static_cast<uint32_t>(std::min<uint64_t>(length, content_->Size() - offset));
        const std::vector<uint8_t> bytes = content_->Read(offset, *read);
        std::copy(bytes.begin(), bytes.end(), data);
        return kS_OK;
    }
    HResult SetEnd(uint64_t length) override
    {
        content_->Truncate(length);
        return kS_OK;
    }
    HResult Close() override { return kS_OK; }

private:
    SparseFileSystem& fs_;
    std::shared_ptr<SparseFileSystem::Content> content_;
};

namespace {

bool AllZero(const uint8_t* data, uint32_t length)
{
    static const uint8_t zeros[4096] = {};
    for (uint32_t at = 0; at < length; at += sizeof zeros) {
        const uint32_t n = std::min<uint32_t>(sizeof zeros, length - at);
        if (std::memcmp(data + at, zeros, n) != 0)
            return false;
    }
    return true;
}

}  // namespace

void SparseFileSystem::Content::Store(uint64_t offset, const uint8_t* data, uint32_t length)
{
    writes_.push_back({offset, length});
    size_ = std::max(size_, offset + length);
    for (uint64_t at = offset; at < offset + length;) {
        const uint32_t inPage = static_cast<uint32_t>(at % kPage);
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kPage - inPage, offset + length - at));
        const uint8_t* from = data + (at - offset);
        auto page = pages_.find(at / kPage);
        if (page == pages_.end() && !AllZero(from, n)) {
            page = pages_.emplace(at / kPage, std::make_unique<uint8_t[]>(kPage)).first;  // zeroed
        }
        if (page != pages_.end())
            std::memcpy(page->second.get() + inPage, from, n);
        at += n;
    }
}

void SparseFileSystem::Content::Truncate(uint64_t length)
{
    size_ = length;
    pages_.erase(pages_.lower_bound((length + kPage - 1) / kPage), pages_.end());
    auto last = pages_.find(length / kPage);
    if (last != pages_.end()) {
        std::memset(last->second.get() + length % kPage, 0, kPage - length % kPage);
    }
}

std::vector<uint8_t> SparseFileSystem::Content::Read(uint64_t offset, uint32_t length) const
{
    if (offset + length > size_)
        throw std::runtime_error("read past the end of the file");
    std::vector<uint8_t> bytes(length, 0);
    for (uint64_t at = offset; at < offset + length;) {
        const uint32_t inPage = static_cast<uint32_t>(at % kPage);
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kPage - inPage, offset + length - at));
        const auto page = pages_.find(at / kPage);
        if (page != pages_.end())
            std::memcpy(&bytes[at - offset], page->second.get() + inPage, n);
        at += n;
    }
    return bytes;
}

uint32_t SparseFileSystem::Content::U32(uint64_t at) const
{
    return GetU32(Read(at, 4).data());
}
uint64_t SparseFileSystem::Content::U64(uint64_t at) const
{
    return GetU64(Read(at, 8).data());
}

std::string SparseFileSystem::Content::Id(uint64_t at) const
{
    const std::vector<uint8_t> b = Read(at, 4);
    return std::string(b.begin(), b.end());
}

bool SparseFileSystem::Content::SaveSparse(const std::string& path) const
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const auto& [number, page] : pages_) {
            const uint64_t at = number * kPage;
            out.seekp(static_cast<std::streamoff>(at));
            out.write(reinterpret_cast<const char*>(page.get()),
                      static_cast<std::streamsize>(std::min<uint64_t>(kPage, size_ - at)));
        }
        if (!out)
            return false;
    }
    std::error_code error;
    std::filesystem::resize_file(path, size_, error);
    return !error;
}

HResult SparseFileSystem::SectorSize(const std::string&, uint32_t* bytes)
{
    *bytes = sectorSize_;
    return kS_OK;
}

HResult SparseFileSystem::Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file,
                                 bool* existed)
{
    auto& content = files_[path];
    *existed = content != nullptr;
    if (!content || mode == CreateMode::CreateAlways)
        content = std::make_shared<Content>();
    file->reset(new SparseFile(*this, content));
    return kS_OK;
}

HResult SparseFileSystem::Delete(const std::string& path)
{
    return files_.erase(path) ? kS_OK : HResultFromWin32(2);
}

}  // namespace trelvox::test
