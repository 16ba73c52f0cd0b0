// The multiplexer's core writing a 1080i recording natively through its POSIX file system,
// which opens the files with O_DIRECT: the figure to hold against the disk's own limit.
//   direct_write_bench <mode 0|1> <seconds of media> <folder>
// Prints "wall=… user=… sys=… bytes=… video=… audio=…" on one line.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "PosixFileSystem.h"

namespace {

using trelvox::HResult;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int64_t kFrameDuration = 333667;  // 100 ns units, 29.97 fps
constexpr uint32_t kSectorSize = 4096;
constexpr uint32_t kAudioBytesPerFrame = 1602 * 4;  // 48 kHz stereo, 16 bits, a frame's worth

double CpuSeconds(const timeval& tv)
{
    return tv.tv_sec + tv.tv_usec / 1e6;
}

uint64_t FolderBytes(const std::string& folder)
{
    uint64_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        bytes += entry.file_size();
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: direct_write_bench <mode 0|1> <seconds of media> <folder>\n");
        return 2;
    }
    const auto mode = static_cast<trelvox::MuxMode>(std::strtoul(argv[1], nullptr, 10));
    const int frames = static_cast<int>(std::llround(std::strtod(argv[2], nullptr) * 1e7 / kFrameDuration));
    const std::string folder = argv[3];

    trelvox::PosixFileSystem fileSystem(kSectorSize);
    trelvox::test::EventLog events;
    trelvox::MuxRecorder recorder(fileSystem, events);
    trelvox::MuxRunSetup setup;
    setup.settings.muxMode = mode;
    setup.settings.maxFiles = 4;
    setup.fileName = folder + "/direct";
    setup.inputs.video = trelvox::test::MakeVideo(kWidth, kHeight, trelvox::test::kYuy2, kFrameDuration);
    setup.inputs.audio = trelvox::test::MakeAudio();

    const std::vector<uint8_t> picture = trelvox::test::Yuy2Picture(kWidth, kHeight, 1);
    const std::vector<uint8_t> sound(kAudioBytesPerFrame, 0);
    const auto start = std::chrono::steady_clock::now();
    HResult hr = recorder.Prepare(setup);
    for (int frame = 0; trelvox::Succeeded(hr) && frame < frames; ++frame) {
        const int64_t time = frame * kFrameDuration;
        hr = recorder.ReceiveVideo(trelvox::test::TimedSample(picture, time));
        if (trelvox::Succeeded(hr))
            hr = recorder.ReceiveAudio(trelvox::test::TimedSample(sound, time, false));
    }
    recorder.EndOfStream(trelvox::StreamKind::Video);
    recorder.EndOfStream(trelvox::StreamKind::Audio);
    recorder.Stop();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!trelvox::Succeeded(hr)) {
        std::printf("error=0x%08x\n", static_cast<unsigned>(hr));
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const trelvox::MuxStatistics statistics = recorder.Statistics();
    std::printf("wall=%.3f user=%.3f sys=%.3f bytes=%llu video=%llu audio=%llu\n", wall, CpuSeconds(usage.ru_utime),
                CpuSeconds(usage.ru_stime), static_cast<unsigned long long>(FolderBytes(folder)),
                static_cast<unsigned long long>(statistics.videoFrames),
                static_cast<unsigned long long>(statistics.audioBlocks));
    return 0;
}
