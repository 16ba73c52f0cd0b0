#include "Win32FileSystem.h"

#include <windows.h>

#include "FileNaming.h"
#include "Utf8Path.h"

namespace trelvox {
namespace {

HResult LastError()
{
    const DWORD error = GetLastError();
    return HResultFromWin32(error == 0 ? ERROR_GEN_FAILURE : error);
}

class Win32File : public MuxFile {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { Close(); }

    HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override
    {
        if (!Seek(offset))
            return LastError();
        DWORD written = 0;
        if (!WriteFile(handle_, data, length, &written, nullptr))
            return LastError();
        return written == length ? kS_OK : HResultFromWin32(ERROR_DISK_FULL);
    }

    HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override
    {
        *read = 0;
        if (!Seek(offset))
            return LastError();
        DWORD got = 0;
        if (!ReadFile(handle_, data, length, &got, nullptr))
            return LastError();
        *read = got;
        return kS_OK;
    }

    HResult SetEnd(uint64_t length) override
    {
        if (!Seek(length) || !SetEndOfFile(handle_))
            return LastError();
        return kS_OK;
    }

    HResult Close() override
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return kS_OK;
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? kS_OK : LastError();
    }

private:
    bool Seek(uint64_t offset)
    {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
    }

    HANDLE handle_;
};

}  // namespace

HResult Win32FileSystem::SectorSize(const std::string& path, uint32_t* bytes)
{
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    const std::string root = VolumeRoot(path);
    std::wstring wideRoot;
    const HResult converted = WideFromUtf8(root, &wideRoot);
    if (Failed(converted))
        return converted;
    // A relative name has no root of its own: ask for the current volume.
    const wchar_t* rootName = root.size() == path.size() ? nullptr : wideRoot.c_str();
    if (!GetDiskFreeSpaceW(rootName, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return LastError();
    }
    *bytes = bytesPerSector;
    return kS_OK;
}

HResult Win32FileSystem::Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed)
{
    std::wstring widePath;
    const HResult converted = WideFromUtf8(path, &widePath);
    if (Failed(converted))
        return converted;
    const DWORD disposition = mode == CreateMode::CreateAlways ? CREATE_ALWAYS : OPEN_ALWAYS;
    // Unbuffered but not write-through: the disk's own cache may keep writes for a while.
    // A recording cut by a crash loses only its tail, which recovery leaves out.
    HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    *existed = GetLastError() == ERROR_ALREADY_EXISTS;
    file->reset(new Win32File(handle));
    return kS_OK;
}

HResult Win32FileSystem::Delete(const std::string& path)
{
    std::wstring widePath;
    const HResult converted = WideFromUtf8(path, &widePath);
    if (Failed(converted))
        return converted;
    return DeleteFileW(widePath.c_str()) ? kS_OK : LastError();
}

}  // namespace trelvox
