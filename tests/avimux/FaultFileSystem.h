// A file system over another that fails one chosen operation: the n-th of all creates,
// writes, set-ends, sector-size queries and closes, with a chosen error; reads pass
// through. Or its disk fills at the n-th operation and stays full: from then on every
// write or set-end that would make a file longer fails with ERROR_DISK_FULL. A failed
// write writes nothing; a failed close still closes. It also counts, per file, the movi chunks
// of every write that succeeded, so a test can tell which frames reached the disk.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "MuxFile.h"

namespace trelvox::test {

enum class FaultOperation { Create, Write, SetEnd, Query, Close };

constexpr HResult kDiskFull = HResultFromWin32(112);      // ERROR_DISK_FULL
constexpr HResult kAccessDenied = HResultFromWin32(5);    // ERROR_ACCESS_DENIED
constexpr HResult kDeviceError = HResultFromWin32(1117);  // ERROR_IO_DEVICE

class FaultFileSystem : public MuxFileSystem {
public:
    explicit FaultFileSystem(MuxFileSystem& inner) : inner_(inner) {}

    // Operation `n` (counted from 1) fails with `error`; 0 fails nothing.
    void FailAt(int n, HResult error) { failAt_ = n, error_ = error; }
    // From operation `n` on, nothing grows; 0 never fills.
    void FillAt(int n) { fillAt_ = n; }
    int Operations() const { return operations_; }
    bool Injected() const { return injected_; }
    FaultOperation InjectedOperation() const { return injectedOperation_; }
    // Video chunks (sample or null frame) in the successful writes to `path`.
    int VideoChunksWritten(const std::string& path) const;

    HResult SectorSize(const std::string& path, uint32_t* bytes) override;
    HResult Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed) override;
    HResult Delete(const std::string& path) override;

private:
    friend class FaultFile;
    HResult Next(FaultOperation operation, bool grows = false);
    HResult Inject(FaultOperation operation, HResult error);
    void CountChunks(const std::string& path, const uint8_t* data, uint32_t length);

    MuxFileSystem& inner_;
    int operations_ = 0;
    int failAt_ = 0;
    int fillAt_ = 0;
    HResult error_ = kS_OK;
    bool injected_ = false;
    FaultOperation injectedOperation_ = FaultOperation::Create;
    std::map<std::string, int> videoChunks_;
};

}  // namespace trelvox::test
