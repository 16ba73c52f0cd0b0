// Heap the multiplexer's core holds as a 1080i recording grows: 1920x1080 YUY2 frames
// (frame duration 333667) and 48 kHz stereo PCM in 1/30 s buffers, into files that keep
// no data. Host program, release build:
//   mux_memory_bench [--frames N] [--step S] [--thread] [CASE...]
// Cases: m0 m1 (MuxRecorder, mode 0 / 1), m0-video m1-video (no audio pin),
// m0-writer m1-writer (the file writers alone, no time-shift index); default all six.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CommonIndex.h"
#include "Idx1Index.h"
#include "MemoryBenchTargets.h"
#include "OpenDmlIndex.h"
#include "SizeOnlyFileSystem.h"

namespace {

using namespace trelvox;
using namespace trelvox::bench;

constexpr int64_t kFrameDuration = 333667;
constexpr uint32_t kPictureBytes = 1920 * 1080 * 2;
constexpr uint32_t kAudioBytes = 6400;       // 1/30 s of 48 kHz stereo, 16 bits
constexpr uint64_t kFramesPerSetFile = 400;  // fewer than a 2 GB file holds

struct Options {
    uint64_t frames = 10000;
    uint64_t step = 10000;
    bool ownThread = false;
    std::vector<std::string> cases;
};

struct Case {
    std::string name;
    TargetSetup setup;
    bool writerOnly = false;
};

int64_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<int64_t>(m.uordblks + m.hblkhd);
}

int64_t AudioStart(uint64_t buffer)
{
    return static_cast<int64_t>(buffer * 10000000 / 30);
}

bool ParseCase(const std::string& name, const Options& options, Case* c)
{
    if (name.size() < 2 || (name.rfind("m0", 0) != 0 && name.rfind("m1", 0) != 0))
        return false;
    const std::string variant = name.substr(2);
    if (!variant.empty() && variant != "-video" && variant != "-writer")
        return false;
    c->name = name;
    c->setup.muxMode = name[1] == '1' ? MuxMode::OpenDml : MuxMode::Avi1FileSet;
    c->setup.audio = variant != "-video";
    c->setup.ownThread = options.ownThread;
    c->setup.maxFiles = static_cast<uint32_t>(options.frames / kFramesPerSetFile + 2);
    c->writerOnly = variant == "-writer";
    return true;
}

bool ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--frames" || arg == "--step") && i + 1 < argc) {
            (arg == "--frames" ? options->frames : options->step) = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--thread") {
            options->ownThread = true;
        } else if (arg.rfind("--", 0) == 0) {
            return false;
        } else {
            options->cases.push_back(arg);
        }
    }
    if (options->cases.empty())
        options->cases = {"m0", "m1", "m0-video", "m1-video", "m0-writer", "m1-writer"};
    return options->frames > 0 && options->step > 0;
}

void PrintSizes()
{
    std::printf("sizeof Idx1Entry %zu, CommonIndexEntry %zu, CommonIndexBlock %zu (%u entries), "
                "standard index block data %u (%u entries), super index data %u\n",
                sizeof(Idx1Entry), sizeof(CommonIndexEntry), sizeof(CommonIndexBlock), kCommonIndexBlockEntries,
                kIndexDataBytes, kStdIndexCapacity, kIndexDataBytes);
}

// Frames, each followed by the audio buffers that start before its end.
HResult Feed(BenchTarget& target, const Options& options, int64_t heapAtPrepare)
{
    const std::vector<uint8_t> picture(kPictureBytes, 0x80), sound(kAudioBytes, 0);
    uint64_t buffer = 0;
    int64_t heapBefore = heapAtPrepare, firstMark = 0, heapAtFirstMark = 0;
    for (uint64_t frame = 0; frame < options.frames;) {
        const int64_t start = static_cast<int64_t>(frame) * kFrameDuration;
        HResult hr = target.Video(picture, start);
        for (; hr == kS_OK && AudioStart(buffer) < start + kFrameDuration; ++buffer)
            hr = target.Audio(sound, AudioStart(buffer));
        if (hr != kS_OK)
            return hr;
        if (++frame % options.step != 0 && frame != options.frames)
            continue;
        const int64_t heap = HeapInUse();
        const uint64_t span = frame % options.step == 0 ? options.step : frame % options.step;
        std::printf("  frame %7llu  heap %12lld B  %+12lld B since prepare  %8.1f B/frame over the last %llu\n",
                    static_cast<unsigned long long>(frame), static_cast<long long>(heap),
                    static_cast<long long>(heap - heapAtPrepare),
                    static_cast<double>(heap - heapBefore) / static_cast<double>(span),
                    static_cast<unsigned long long>(span));
        if (firstMark == 0) {
            firstMark = static_cast<int64_t>(frame);
            heapAtFirstMark = heap;
        } else if (frame == options.frames) {
            std::printf("  slope from frame %lld to %llu: %.1f B/frame\n", static_cast<long long>(firstMark),
                        static_cast<unsigned long long>(frame),
                        static_cast<double>(heap - heapAtFirstMark) / static_cast<double>(frame - firstMark));
        }
        heapBefore = heap;
    }
    return kS_OK;
}

bool RunCase(const Case& c, const Options& options)
{
    std::printf("%s: mode %u, %s, %s%s\n", c.name.c_str(), static_cast<unsigned>(c.setup.muxMode),
                c.setup.audio ? "video + audio" : "video only",
                c.writerOnly ? "file writers alone (no time-shift index)" : "MuxRecorder",
                c.writerOnly        ? ""
                : options.ownThread ? ", writer thread"
                                    : ", inline writer");
    SizeOnlyFileSystem fs(512);
    const int64_t heapStart = HeapInUse();
    std::unique_ptr<BenchTarget> target =
        c.writerOnly ? MakeWriterTarget(fs, c.setup) : MakeRecorderTarget(fs, c.setup);
    HResult hr = target->Prepare();
    const int64_t heapAtPrepare = HeapInUse();
    std::printf("  after prepare   heap %12lld B  (%+lld B for the prepare)\n", static_cast<long long>(heapAtPrepare),
                static_cast<long long>(heapAtPrepare - heapStart));
    if (hr == kS_OK)
        hr = Feed(*target, options, heapAtPrepare);
    target->Stop();
    std::printf("  after Stop      heap %12lld B  %+12lld B since prepare\n", static_cast<long long>(HeapInUse()),
                static_cast<long long>(HeapInUse() - heapAtPrepare));
    target.reset();
    std::printf("  released        heap %12lld B  %+12lld B against before the prepare\n",
                static_cast<long long>(HeapInUse()), static_cast<long long>(HeapInUse() - heapStart));
    std::printf("  %zu files left, %.1f GB written, %d misaligned writes\n", fs.Files(),
                static_cast<double>(fs.BytesWritten()) / 1e9, fs.MisalignedWrites());
    if (hr != kS_OK)
        std::printf("  FAILED: 0x%08x\n", static_cast<unsigned>(hr));
    return hr == kS_OK && fs.MisalignedWrites() == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: mux_memory_bench [--frames N] [--step S] [--thread] [CASE...]\n");
        return 2;
    }
    PrintSizes();
    bool ok = true;
    for (const std::string& name : options.cases) {
        Case c;
        if (!ParseCase(name, options, &c)) {
            std::fprintf(stderr, "unknown case %s\n", name.c_str());
            return 2;
        }
        ok = RunCase(c, options) && ok;
        std::fflush(stdout);
    }
    return ok ? 0 : 1;
}
