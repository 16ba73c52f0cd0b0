// One 1920 x 1080 YUY2 frame to 24-bit BGR: our conversion against libswscale, side by
// side in one run. Usage: still_convert_bench [rounds]
extern "C" {
#include <libswscale/swscale.h>
#include <libavutil/pixfmt.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <time.h>

#include "RgbConversion.h"
#include "TestPicture.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kConversionsPerRound = 20;

// The machine is shared: the thread's own CPU time, not the wall clock.
double ThreadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Frame {
    stillimage::FrameFormat format{kWidth, kHeight, 16, stillimage::kFourccYuy2};
    std::vector<uint8_t> bytes = std::vector<uint8_t>(stillimage::DibStride(16, kWidth) * kHeight);
};

Frame RandomFrame()
{
    Frame frame;
    std::mt19937 random(5);
    std::uniform_int_distribution<int> luma(16, 235), chroma(16, 240);
    for (size_t i = 0; i < frame.bytes.size(); i += 4) {
        frame.bytes[i] = static_cast<uint8_t>(luma(random));
        frame.bytes[i + 1] = static_cast<uint8_t>(chroma(random));
        frame.bytes[i + 2] = static_cast<uint8_t>(luma(random));
        frame.bytes[i + 3] = static_cast<uint8_t>(chroma(random));
    }
    return frame;
}

Frame CardFrame()
{
    Frame frame;
    cardsim::PaintFrame(frame.bytes.data(), stillimage::DibStride(16, kWidth), kWidth, kHeight, 1234, true);
    return frame;
}

// Milliseconds per conversion, one round of kConversionsPerRound.
double TimeRound(const std::function<void()>& convert)
{
    const double start = ThreadMilliseconds();
    for (int i = 0; i < kConversionsPerRound; ++i)
        convert();
    return (ThreadMilliseconds() - start) / kConversionsPerRound;
}

struct Swscale {
    SwsContext* context = nullptr;

    Swscale(int flags, int colorspace)
    {
        context = sws_getContext(kWidth, kHeight, AV_PIX_FMT_YUYV422, kWidth, kHeight, AV_PIX_FMT_BGR24, flags, nullptr,
                                 nullptr, nullptr);
        // Limited range in, full range out, the matrix asked for.
        const int* coefficients = sws_getCoefficients(colorspace);
        if (context)
            sws_setColorspaceDetails(context, coefficients, 0, coefficients, 1, 0, 1 << 16, 1 << 16);
    }
    ~Swscale() { sws_freeContext(context); }
    void Convert(const Frame& frame, std::vector<uint8_t>& out) const
    {
        const uint8_t* source[4] = {frame.bytes.data(), nullptr, nullptr, nullptr};
        const int sourceStride[4] = {static_cast<int>(stillimage::DibStride(16, kWidth)), 0, 0, 0};
        uint8_t* target[4] = {out.data(), nullptr, nullptr, nullptr};
        const int targetStride[4] = {static_cast<int>(stillimage::DibStride(24, kWidth)), 0, 0, 0};
        sws_scale(context, source, sourceStride, 0, kHeight, target, targetStride);
    }
};

struct Result {
    std::vector<double> ours, theirs;
};

double Best(const std::vector<double>& times)
{
    return *std::min_element(times.begin(), times.end());
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Report(const char* frameName, const char* matrixName, const char* swsName, const Result& r)
{
    std::printf("%-6s %-6s vs swscale %-34s ours %6.2f ms (median %6.2f)  swscale %6.2f ms (median %6.2f)  "
                "ours/swscale %.2f (median %.2f)\n",
                frameName, matrixName, swsName, Best(r.ours), Median(r.ours), Best(r.theirs), Median(r.theirs),
                Best(r.ours) / Best(r.theirs), Median(r.ours) / Median(r.theirs));
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::vector<uint8_t> ours(stillimage::DibStride(24, kWidth) * kHeight);
    std::vector<uint8_t> theirs(ours.size());
    const stillimage::RgbPicture picture{ours.data(), stillimage::DibStride(24, kWidth), kWidth, kHeight};

    const struct {
        const char* name;
        Frame frame;
    } frames[] = {{"random", RandomFrame()}, {"card", CardFrame()}};
    const struct {
        const char* name;
        int code;
        int colorspace;
    } matrices[] = {{"BT.601", stillimage::kMatrixBt601, SWS_CS_ITU601},
                    {"BT.709", stillimage::kMatrixBt709, SWS_CS_ITU709}};
    const struct {
        const char* name;
        int flags;
    } modes[] = {
        {"default (bicubic, ffmpeg -pix_fmt)", SWS_BICUBIC},
        {"exact chroma (point+accurate_rnd+full_chroma_int)", SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT}};

    std::printf("1920 x 1080 YUY2 to BGR24, %d rounds of %d conversions, CPU time of this thread, best and median per "
                "conversion\n",
                rounds, kConversionsPerRound);
    for (const auto& f : frames) {
        for (const auto& m : matrices) {
            for (const auto& mode : modes) {
                const Swscale sws(mode.flags, m.colorspace);
                if (!sws.context) {
                    std::printf("swscale has no context for %s\n", mode.name);
                    return 1;
                }
                Result result;
                for (int round = 0; round < rounds; ++round) {
                    result.ours.push_back(TimeRound([&] {
                        stillimage::ConvertToRgb(f.frame.format, f.frame.bytes.data(), f.frame.bytes.data(),
                                                 f.frame.bytes.size(), m.code, {}, picture);
                    }));
                    result.theirs.push_back(TimeRound([&] { sws.Convert(f.frame, theirs); }));
                }
                Report(f.name, m.name, mode.name, result);
            }
        }
    }
    return 0;
}
