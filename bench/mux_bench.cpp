// Times one benchmark case and prints its figures on one line for bench/run.
//   mux_bench trelvox <mode 0|1> <seconds of media> <output name without extension>
//   mux_bench trelvox-live <mode 0|1> <seconds of media> <output name> <playback 0|1> <paced|unthrottled>
//   mux_bench avidest <seconds of media> <file>
//   mux_bench plain <buffered|unbuffered> <bytes> <file>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

#include "MuxTestSource.h"
#include "PlainWriteBench.h"
#include "RecordingBench.h"

namespace {

RecordingPlan PlanFor(double seconds)
{
    RecordingPlan plan;
    plan.videoFrames = static_cast<int>(std::llround(seconds * 1e7 / kNtscFrame));
    // Audio buffers of 1/30 s, enough to cover the last frame.
    const double audioBuffer = kAudioFramesPerBuffer * 1e7 / 48000;
    plan.audioBuffers = static_cast<int>(std::ceil(plan.videoFrames * kNtscFrame / audioBuffer));
    return plan;
}

void PrintFigures(const RunFigures& figures)
{
    std::printf("wall=%.3f user=%.3f sys=%.3f", figures.wallSeconds, figures.userSeconds, figures.systemSeconds);
}

int Report(HRESULT hr, const RecordingResult& result)
{
    if (FAILED(hr)) {
        std::printf("error=0x%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }
    PrintFigures(result.figures);
    std::printf(" video=%lu audio=%lu dropped=%lu played=%lu playedaudio=%lu\n", result.videoFrames,
                result.audioBuffers, result.droppedFrames, result.playedFrames, result.playedAudio);
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: mux_bench trelvox <mode> <seconds> <base>\n"
                         "       mux_bench trelvox-live <mode> <seconds> <base> <playback 0|1> <paced|unthrottled>\n"
                         "       mux_bench avidest <seconds> <file>\n"
                         "       mux_bench plain <buffered|unbuffered> <bytes> <file>\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return Usage();
    const std::wstring command = argv[1];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RecordingResult result;
    if (command == L"trelvox" && argc == 5) {
        const DWORD mode = std::wcstoul(argv[2], nullptr, 10);
        return Report(RecordWithTrelvox(mode, PlanFor(std::wcstod(argv[3], nullptr)), argv[4], &result), result);
    }
    if (command == L"trelvox-live" && argc == 7) {
        const DWORD mode = std::wcstoul(argv[2], nullptr, 10);
        const bool playback = std::wcstoul(argv[5], nullptr, 10) != 0;
        const std::wstring pace = argv[6];
        if (pace != L"paced" && pace != L"unthrottled")
            return Usage();
        RecordingPlan plan = PlanFor(std::wcstod(argv[3], nullptr));
        plan.paced = pace == L"paced";
        return Report(RecordWithTrelvoxLive(mode, plan, argv[4], playback, &result), result);
    }
    if (command == L"avidest" && argc == 4)
        return Report(RecordWithAviDest(PlanFor(std::wcstod(argv[2], nullptr)), argv[3], &result), result);
    if (command == L"plain" && argc == 5) {
        const std::wstring style = argv[2];
        if (style != L"buffered" && style != L"unbuffered")
            return Usage();
        const HRESULT hr = WritePlainFile(
            argv[4], std::wcstoull(argv[3], nullptr, 10),
            style == L"buffered" ? PlainWriteStyle::Buffered : PlainWriteStyle::Unbuffered, &result.figures);
        return Report(hr, result);
    }
    return Usage();
}
