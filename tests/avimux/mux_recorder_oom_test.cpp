// Memory that runs out right after a write has reached the disk: the chunk written must
// still be counted and indexed, so that every file left is whole. This program replaces
// the global allocation functions to make the first allocation after the write fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "AviCheck.h"
#include "MemoryFileSystem.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "WriteHookFileSystem.h"

namespace {

bool failNextAllocation = false;

void* Allocate(std::size_t size)
{
    if (failNextAllocation) {
        failNextAllocation = false;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size)
{
    void* p = Allocate(size);
    if (!p)
        throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace trelvox {
namespace {

using test::EventLog;

constexpr int64_t kT = 333667;

// Arms the failure after the n-th successful write of movi data.
class OutOfMemoryAfterWrite : public test::WriteHookFileSystem {
public:
    OutOfMemoryAfterWrite(MemoryFileSystem& inner, int n)
        : WriteHookFileSystem(inner,
                              [this](MuxFile& file, uint64_t offset, const uint8_t* data, uint32_t length) {
                                  const HResult hr = file.Write(offset, data, length);
                                  const bool movi = offset != 0 && recording_;  // headers are written at 0
                                  if (Succeeded(hr) && movi && ++writes_ == n_)
                                      failNextAllocation = true;
                                  return hr;
                              }),
          n_(n)
    {
    }
    int DataWrites() const { return writes_; }
    // Finishing is left out: memory that fails there leaves the files as they are.
    void Finishing() { recording_ = false; }

private:
    int n_;
    int writes_ = 0;
    bool recording_ = true;
};

// Records 40 frames with audio; returns the data writes seen.
int Record(MuxMode muxMode, int failAfter, MemoryFileSystem& disk)
{
    OutOfMemoryAfterWrite fs(disk, failAfter);
    EventLog events;
    {
        MuxRecorder recorder(fs, events, WriterThreading::Inline);
        MuxRunSetup setup;
        setup.fileName = "rec";
        setup.settings.muxMode = muxMode;
        setup.inputs.video = test::MakeVideo(32, 16);
        setup.inputs.audio = test::MakeAudio();
        EXPECT_EQ(recorder.Prepare(setup), kS_OK);
        const std::vector<uint8_t> picture(1024, 0x50), sound(6400, 0);
        for (int frame = 0; frame < 40 && recorder.IsPrepared(); ++frame) {
            recorder.ReceiveVideo(test::TimedSample(picture, frame * kT, true));
            recorder.ReceiveAudio(test::TimedSample(sound, frame * kT, false));
        }
        fs.Finishing();
        failNextAllocation = false;
        recorder.Stop();
    }
    for (const EventLog::Event& e : events.Events()) {
        if (e.code == kEcErrorAbort) {
            EXPECT_EQ(e.param1, kE_OUTOFMEMORY);
        }
    }
    return fs.DataWrites();
}

void ExpectWholeFiles(MuxMode muxMode)
{
    MemoryFileSystem clean;
    const int writes = Record(muxMode, 0, clean);
    ASSERT_GT(writes, 40);
    for (int n = 1; n <= writes; ++n) {
        MemoryFileSystem disk;
        Record(muxMode, n, disk);
        for (const std::string& name : disk.Names()) {
            const test::AviCheck check = test::CheckAvi(test::BytesOf(disk.Bytes(name)));
            EXPECT_TRUE(check.problems.empty()) << "after write " << n << ", " << name << ": " << check.Problems();
            EXPECT_TRUE(check.claimsIndex) << "after write " << n << ", " << name;
            EXPECT_EQ(check.indexedVideo, check.walkedVideo)
                << "after write " << n << ", " << name << ": every video chunk indexed";
        }
        if (::testing::Test::HasFailure())
            return;
    }
}

TEST(OutOfMemoryAfterAWrite, AviFileSetKeepsEveryChunkIndexed)
{
    ExpectWholeFiles(MuxMode::Avi1FileSet);
}

TEST(OutOfMemoryAfterAWrite, OpenDmlFileKeepsEveryChunkIndexed)
{
    ExpectWholeFiles(MuxMode::OpenDml);
}

}  // namespace
}  // namespace trelvox
