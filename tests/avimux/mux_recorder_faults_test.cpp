// The fault campaign: each recording scenario runs once to count its file operations,
// then once for every operation N, failing N with one of three errors, or filling the
// disk at N so that it stays full through the stop. Every run must
// end as it should (Prepare fails with the error, or the recording ends with
// EC_ERRORABORT and the error, or finishing goes on), Stop must return, and every file
// left must be sound and hold every video chunk whose write succeeded. A sample of the
// files left is judged by ffprobe and ffmpeg too.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "AviCheck.h"
#include "ExternalReaders.h"
#include "FaultFileSystem.h"
#include "MemoryFileSystem.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "SparseFileSystem.h"

namespace trelvox {
namespace {

using test::AviCheck;
using test::EventLog;
using test::FaultFileSystem;

constexpr int64_t kT = 333667;
constexpr HResult kErrors[] = {test::kDiskFull, test::kAccessDenied, test::kDeviceError};

struct Scenario {
    std::string name;
    MuxRunSetup setup;
    std::function<void(MuxRecorder&)> stream;  // samples and end of stream
};

// The file system under the fault layer, made fresh for every run.
struct Disk {
    virtual ~Disk() = default;
    virtual MuxFileSystem& Fs() = 0;
    virtual std::vector<std::string> Names() const = 0;
    virtual test::ByteSource Bytes(const std::string& name) const = 0;
    virtual void Save(const std::string& name, const std::string& path) const = 0;
};

struct MemoryDisk : Disk {
    MemoryFileSystem fs;
    MuxFileSystem& Fs() override { return fs; }
    std::vector<std::string> Names() const override
    {
        const std::set<std::string> names = fs.Names();
        return {names.begin(), names.end()};
    }
    test::ByteSource Bytes(const std::string& name) const override { return test::BytesOf(fs.Bytes(name)); }
    void Save(const std::string& name, const std::string& path) const override
    {
        const std::vector<uint8_t>& b = fs.Bytes(name);
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
};

struct SparseDisk : Disk {
    test::SparseFileSystem fs;
    MuxFileSystem& Fs() override { return fs; }
    std::vector<std::string> Names() const override
    {
        return fs.Exists("rec.avi") ? std::vector<std::string>{"rec.avi"} : std::vector<std::string>{};
    }
    test::ByteSource Bytes(const std::string& name) const override
    {
        const test::SparseFileSystem::Content& f = fs.File(name);
        return {f.Size(), [&f](uint64_t offset, uint32_t length) { return f.Read(offset, length); }};
    }
    void Save(const std::string& name, const std::string& path) const override
    {
        ASSERT_TRUE(fs.File(name).SaveSparse(path));
    }
};

// ffprobe finds every picture as a packet (null frames are none to it) and ffmpeg
// decodes the whole file without an error.
void JudgeWithReaders(const Disk& disk, const std::string& name, size_t pictures, const std::string& where)
{
    // In the build tree: /tmp is shared by every clone, whose runs would clash.
    const std::filesystem::path dir = std::filesystem::current_path() / "fault_campaign_out";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / name).string();
    disk.Save(name, path);
    EXPECT_EQ(test::DecodeErrors(path), "") << where << ", " << name;
    if (pictures > 0) {
        EXPECT_EQ(test::Probe(path)["0.nb_read_packets"], std::to_string(pictures)) << where << ", " << name;
    }
    if (!::testing::Test::HasFailure())
        std::filesystem::remove(path);  // kept to be looked at
}

struct RunResult {
    int operations = 0;
    int checkedFiles = 0;
};

bool HasEvent(const EventLog& events, int32_t code, intptr_t param)
{
    for (const EventLog::Event& e : events.Events()) {
        if (e.code == code && e.param1 == param)
            return true;
    }
    return false;
}

enum class Fault {
    OneOperation,   // operation N fails, the others succeed
    DiskStaysFull,  // from operation N on nothing can grow
};

RunResult Run(const Scenario& scenario, const std::function<std::unique_ptr<Disk>()>& makeDisk, int failAt,
              HResult error, Fault fault, bool judge)
{
    std::unique_ptr<Disk> disk = makeDisk();
    FaultFileSystem fs(disk->Fs());
    if (fault == Fault::DiskStaysFull) {
        fs.FillAt(failAt);
    } else {
        fs.FailAt(failAt, error);
    }
    EventLog events;
    const std::string where = scenario.name + ", operation " + std::to_string(failAt);
    try {
        MuxRecorder recorder(fs, events, WriterThreading::Inline);
        const HResult prepared = recorder.Prepare(scenario.setup);
        if (fs.Injected()) {
            EXPECT_EQ(prepared, error) << where << ": preparation fails with the error";
        } else {
            EXPECT_EQ(prepared, kS_OK) << where;
            scenario.stream(recorder);
            if (fs.Injected()) {
                EXPECT_TRUE(HasEvent(events, kEcErrorAbort, static_cast<intptr_t>(error)))
                    << where << ": EC_ERRORABORT with the error";
                EXPECT_FALSE(recorder.IsPrepared()) << where;
            } else {
                EXPECT_FALSE(HasEvent(events, kEcErrorAbort, static_cast<intptr_t>(error))) << where;
            }
            recorder.Stop();
        }
    } catch (...) {
        ADD_FAILURE() << where << ": an exception escaped";
    }
    for (const EventLog::Event& e : events.Events()) {
        if (e.code == kEcErrorAbort) {
            EXPECT_EQ(e.param1, static_cast<intptr_t>(error)) << where << ": only the injected error";
        }
    }
    RunResult result{fs.Operations(), 0};
    for (const std::string& name : disk->Names()) {
        const AviCheck check = test::CheckAvi(disk->Bytes(name));
        EXPECT_TRUE(check.problems.empty()) << where << ", " << name << ": " << check.Problems();
        EXPECT_EQ(check.VideoChunks(), static_cast<size_t>(fs.VideoChunksWritten(name)))
            << where << ", " << name << ": every video chunk written is found";
        EXPECT_GT(disk->Bytes(name).size, 0u) << where << ", " << name << ": no empty file left";
        if (judge)
            JudgeWithReaders(*disk, name, check.Pictures(), where);
        ++result.checkedFiles;
    }
    return result;
}

// Runs the scenario once without a fault, then failing each operation in turn; every
// `judgeEvery`-th run also goes to the readers.
int Campaign(const Scenario& scenario, const std::function<std::unique_ptr<Disk>()>& makeDisk, int judgeEvery,
             Fault fault = Fault::OneOperation)
{
    const RunResult clean = Run(scenario, makeDisk, 0, kS_OK, fault, true);
    EXPECT_GT(clean.checkedFiles, 0);
    for (int n = 1; n <= clean.operations; ++n) {
        const HResult error = fault == Fault::DiskStaysFull ? test::kDiskFull : kErrors[n % 3];
        Run(scenario, makeDisk, n, error, fault, n % judgeEvery == 0);
        if (::testing::Test::HasFailure())
            break;  // one failing point is enough to read
    }
    std::printf("%s: %d injection points\n", scenario.name.c_str(), clean.operations);
    return clean.operations;
}

MuxRunSetup BaseSetup(MuxMode muxMode)
{
    MuxRunSetup setup;
    setup.fileName = "rec";
    setup.settings.muxMode = muxMode;
    setup.inputs.video = test::MakeVideo(32, 16);
    setup.inputs.audio = test::MakeAudio();
    return setup;
}

void Pictures(MuxRecorder& recorder, const std::vector<int64_t>& frames, uint32_t bytes)
{
    const std::vector<uint8_t> picture(bytes, 0), sound(6400, 0);
    for (int64_t frame : frames) {
        recorder.ReceiveVideo(test::TimedSample(picture, frame * kT, frame % 3 == 0));
        recorder.ReceiveAudio(test::TimedSample(sound, frame * kT, false));
    }
    recorder.EndOfStream(StreamKind::Video);
    recorder.EndOfStream(StreamKind::Audio);
}

TEST(FaultCampaign, AviFileSetSplitByFrameCount)
{
    Scenario s{"mode 0, split every 4 frames", BaseSetup(MuxMode::Avi1FileSet), nullptr};
    s.setup.settings.maxFiles = 5;
    s.setup.settings.splitMode = SplitMode::FrameCount;
    s.setup.settings.splitCountVideo = 4;
    s.setup.settings.splitCountAudio = 4;
    s.stream = [](MuxRecorder& r) { Pictures(r, {0, 1, 2, 3, 4, 7, 8, 9, 10, 11}, 3000); };
    EXPECT_GT(Campaign(
                  s, [] { return std::make_unique<MemoryDisk>(); }, 3),
              40);
}

// The disk fills at every point of a set split by size, file boundaries included, and
// stays full while the files are finished: no file may stay behind empty or headerless.
TEST(FaultCampaign, AviFileSetOnADiskThatStaysFull)
{
    Scenario s{"mode 0, split by size, disk stays full", BaseSetup(MuxMode::Avi1FileSet), nullptr};
    s.setup.settings.maxFiles = 4;
    s.setup.settings.maxFileSize = MaxFileSizeFromMegabytes(10);
    s.setup.inputs.video = test::MakeVideo(1024, 1536);  // 3 MiB a frame: three to a file
    std::vector<int64_t> frames;
    for (int64_t i = 0; i < 8; ++i)
        frames.push_back(i);
    s.stream = [frames](MuxRecorder& r) { Pictures(r, frames, 3u << 20); };
    EXPECT_GT(Campaign(
                  s, [] { return std::make_unique<MemoryDisk>(); }, 4, Fault::DiskStaysFull),
              30);
}

TEST(FaultCampaign, OpenDmlAcrossANewStandardIndex)
{
    Scenario s{"mode 1, new standard index", BaseSetup(MuxMode::OpenDml), nullptr};
    s.stream = [](MuxRecorder& r) { Pictures(r, {0, 1, 2, 4100, 4101, 4102}, 3000); };
    EXPECT_GT(Campaign(
                  s, [] { return std::make_unique<MemoryDisk>(); }, 2),
              15);
}

TEST(FaultCampaign, OpenDmlAcrossARiffBoundary)
{
    Scenario s{"mode 1, past 1 GiB", BaseSetup(MuxMode::OpenDml), nullptr};
    s.setup.inputs.video = test::MakeVideo(4096, 4096);
    std::vector<int64_t> frames;
    for (int64_t i = 0; i < 24; ++i)
        frames.push_back(i);
    s.stream = [frames](MuxRecorder& r) { Pictures(r, frames, 48u << 20); };  // 1.1 GiB of zeros
    EXPECT_GT(Campaign(
                  s, [] { return std::make_unique<SparseDisk>(); }, 25),
              50);
}

}  // namespace
}  // namespace trelvox
