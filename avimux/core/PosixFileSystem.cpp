#include "PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace trelvox {

namespace {

// errno values carried in the Win32 error space, so callers see one kind of code.
HResult FromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return HResultFromWin32(3);  // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM:
        return HResultFromWin32(5);  // ERROR_ACCESS_DENIED
    case ENOSPC:
        return HResultFromWin32(112);  // ERROR_DISK_FULL
    case ENAMETOOLONG:
        return HResultFromWin32(kErrorFilenameExcedRange);
    default:
        return HResultFromWin32(0x1F);  // ERROR_GEN_FAILURE
    }
}

class PosixFile : public MuxFile {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { Close(); }

    HResult Write(uint64_t offset, const uint8_t* data, uint32_t length) override
    {
        uint32_t done = 0;
        while (done < length) {
            const ssize_t n = pwrite(fd_, data + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EINVAL && DropDirectIo())
                continue;
            if (n <= 0)
                return FromErrno(n == 0 ? ENOSPC : errno);
            done += static_cast<uint32_t>(n);
        }
        return kS_OK;
    }

    HResult Read(uint64_t offset, uint8_t* data, uint32_t length, uint32_t* read) override
    {
        uint32_t done = 0;
        while (done < length) {
            const ssize_t n = pread(fd_, data + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EINVAL && DropDirectIo())
                continue;
            if (n < 0)
                return FromErrno(errno);
            if (n == 0)
                break;
            done += static_cast<uint32_t>(n);
        }
        *read = done;
        return kS_OK;
    }

    HResult SetEnd(uint64_t length) override
    {
        return ftruncate(fd_, static_cast<off_t>(length)) == 0 ? kS_OK : FromErrno(errno);
    }

    HResult Close() override
    {
        if (fd_ < 0)
            return kS_OK;
        const int result = close(fd_);
        fd_ = -1;
        return result == 0 ? kS_OK : FromErrno(errno);
    }

private:
    // Some file systems refuse direct I/O for a given alignment; write through the cache then.
    bool DropDirectIo()
    {
#ifdef O_DIRECT
        const int flags = fcntl(fd_, F_GETFL);
        if (flags >= 0 && (flags & O_DIRECT) != 0)
            return fcntl(fd_, F_SETFL, flags & ~O_DIRECT) == 0;
#endif
        return false;
    }

    int fd_;
};

}  // namespace

HResult PosixFileSystem::SectorSize(const std::string&, uint32_t* bytes)
{
    *bytes = sectorSize_;
    return kS_OK;
}

HResult PosixFileSystem::Create(const std::string& path, CreateMode mode, std::unique_ptr<MuxFile>* file, bool* existed)
{
    struct stat info;
    *existed = stat(path.c_str(), &info) == 0;
    int flags = O_RDWR | O_CREAT | O_CLOEXEC | (mode == CreateMode::CreateAlways ? O_TRUNC : 0);
    int fd = -1;
#ifdef O_DIRECT
    fd = open(path.c_str(), flags | O_DIRECT, 0644);
    if (fd < 0 && errno == EINVAL)
        fd = open(path.c_str(), flags, 0644);  // tmpfs and the like
#else
    fd = open(path.c_str(), flags, 0644);
#endif
    if (fd < 0)
        return FromErrno(errno);
    file->reset(new PosixFile(fd));
    return kS_OK;
}

HResult PosixFileSystem::Delete(const std::string& path)
{
    return unlink(path.c_str()) == 0 ? kS_OK : FromErrno(errno);
}

}  // namespace trelvox
