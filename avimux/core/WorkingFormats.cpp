#include "WorkingFormats.h"

#include <cstdint>

namespace trelvox {

HResult ApplyOverrides(const MuxSettings& s, MuxInputs& inputs)
{
    if (inputs.video && s.frameDurationOverrideEnabled) {
        inputs.video->frameDuration = s.frameDurationOverride;
    }
    if (inputs.video && inputs.video->frameDuration < 0)
        inputs.video->frameDuration = 0;
    if (inputs.audio && s.audioRateOverrideEnabled) {
        AudioFormat& a = *inputs.audio;
        if (a.SamplesPerSec() == 0)
            return kVFW_E_TYPE_NOT_ACCEPTED;
        const uint64_t avg = static_cast<uint64_t>(a.AvgBytesPerSec()) * s.audioRateOverride / a.SamplesPerSec();
        if (avg == 0 || avg > UINT32_MAX)
            return kVFW_E_TYPE_NOT_ACCEPTED;
        a.SetRates(s.audioRateOverride, static_cast<uint32_t>(avg));
    }
    return kS_OK;
}

}  // namespace trelvox
