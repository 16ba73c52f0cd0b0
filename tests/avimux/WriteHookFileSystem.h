// A file system over another whose files hand every write to a hook, which makes the
// write on the inner file and may count it, fail it or throw; everything else passes
// through.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "MuxFile.h"

namespace trelvox::test {

class WriteHookFileSystem : public MuxFileSystem {
public:
    using WriteHook = std::function<HResult(MuxFile& inner, uint64_t offset, const uint8_t* data, uint32_t length)>;

    WriteHookFileSystem(MuxFileSystem& inner, WriteHook write) : inner_(inner), write_(std::move(write)) {}

    HResult SectorSize(const std::string& path, uint32_t* bytes) override { return inner_.SectorSize(path, bytes); }
    HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override
    {
        std::unique_ptr<MuxFile> inner;
        const HResult hr = inner_.Create(path, mode, &inner, existed);
        if (Succeeded(hr))
            *file = std::make_unique<HookedFile>(write_, std::move(inner));
        return hr;
    }
    HResult Delete(const std::string& path) override { return inner_.Delete(path); }

private:
    struct HookedFile : MuxFile {
        HookedFile(const WriteHook& write, std::unique_ptr<MuxFile> inner) : write(write), inner(std::move(inner)) {}
        HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override
        {
            return write(*inner, offset, data, length);
        }
        HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override
        {
            return inner->Read(offset, data, length, read);
        }
        HResult SetEnd(uint64_t length) override { return inner->SetEnd(length); }
        HResult Close() override { return inner->Close(); }
        const WriteHook& write;
        std::unique_ptr<MuxFile> inner;
    };

    MuxFileSystem& inner_;
    WriteHook write_;
};

}  // namespace trelvox::test
