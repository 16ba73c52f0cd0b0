#include "RateCorrection.h"

namespace trelvox {

Rates CorrectRates(const Rates& held, bool video, bool audio, uint32_t blockAlign, const RateMeasurements& m,
                   const MuxSettings& settings)
{
    double t = static_cast<double>(held.frameDuration);
    double r = held.avgBytesPerSec;
    double f = held.samplesPerSec;
    if (video && settings.measureVideoRate == 1 && m.videoFrames > 1) {
        t = static_cast<double>(m.lastVideoTime - m.firstVideoTime) / (m.videoFrames - 1);
    }
    if (audio && settings.measureAudioRate == 1 && m.lastAudioTime > m.firstAudioTime && held.avgBytesPerSec != 0) {
        r = static_cast<double>(m.totalAudioBlocks - m.lastBufferBlocks) * blockAlign * 1e7 /
            static_cast<double>(m.lastAudioTime - m.firstAudioTime);
        f = r / held.avgBytesPerSec * held.samplesPerSec;
    }
    if (video && audio && held.frameDuration > 0 && held.avgBytesPerSec != 0) {
        if (settings.rateMaster == 1) {
            r *= t / static_cast<double>(held.frameDuration);
            f *= t / static_cast<double>(held.frameDuration);
        } else if (settings.rateMaster == 2) {
            t *= r / held.avgBytesPerSec;
        }
    }
    Rates out = held;
    if ((settings.measureVideoRate == 1 && settings.rateMaster != 1) || settings.rateMaster == 2) {
        // A measured duration below one unit would leave the header without a frame rate.
        out.frameDuration = t >= 1 ? static_cast<int64_t>(t) : held.frameDuration;
    }
    if ((settings.measureAudioRate == 1 && settings.rateMaster != 2) || settings.rateMaster == 1) {
        out.avgBytesPerSec = r >= 1 && r < 4294967296.0 ? static_cast<uint32_t>(r) : held.avgBytesPerSec;
        out.samplesPerSec = f >= 1 && f < 4294967296.0 ? static_cast<uint32_t>(f) : held.samplesPerSec;
    }
    return out;
}

}  // namespace trelvox
