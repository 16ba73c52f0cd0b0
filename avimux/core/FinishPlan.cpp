#include "FinishPlan.h"

namespace trelvox {
namespace {

Rates HeldRates(const MuxInputs& inputs)
{
    Rates held;
    if (inputs.video)
        held.frameDuration = inputs.video->frameDuration;
    if (inputs.audio) {
        held.avgBytesPerSec = inputs.audio->AvgBytesPerSec();
        held.samplesPerSec = inputs.audio->SamplesPerSec();
    }
    return held;
}

}  // namespace

RecordingEnding FinalEnding(RecordingEnding requested, bool frameDurationPending, bool nothingQueued)
{
    if (requested == RecordingEnding::Finish && frameDurationPending && nothingQueued)
        return RecordingEnding::Discard;
    return requested;
}

FinishPlan PlanFinish(const MuxInputs& inputs, const MuxSettings& settings, uint32_t sectorSize,
                      const RunTotals& totals)
{
    const RateMeasurements& measured = totals.measured;
    Rates rates = CorrectRates(HeldRates(inputs), inputs.video.has_value(), inputs.audio.has_value(),
                               inputs.audio ? inputs.audio->BlockAlign() : 0, measured, settings);
    // A video stream that never got a frame duration has no frames; the configured
    // duration stands in, so that its header still names a rate.
    if (inputs.video && rates.frameDuration <= 0)
        rates.frameDuration = settings.frameDurationOverride;

    FinishPlan plan;
    plan.inputs = inputs;
    plan.run.sectorSize = sectorSize;
    plan.run.maxVideoSample = totals.maxVideoSample;
    plan.run.maxAudioSample = totals.maxAudioSample;
    plan.run.fourccOverride = settings.fourccOverride;
    if (plan.inputs.video) {
        plan.inputs.video->frameDuration = rates.frameDuration;
        plan.run.frameDuration = rates.frameDuration;
        plan.videoStart =
            VideoStartFrames(measured.firstVideoTime, measured.firstAudioTime, rates.frameDuration, settings);
    }
    if (plan.inputs.audio) {
        plan.inputs.audio->SetRates(rates.samplesPerSec, rates.avgBytesPerSec);
        plan.audioStart =
            AudioStartBlocks(measured.firstVideoTime, measured.firstAudioTime, *plan.inputs.audio, settings);
    }
    return plan;
}

StreamStarts PlannedStarts(const MuxInputs& inputs, const MuxSettings& settings, const RateMeasurements& measured,
                           bool videoStarted, bool audioStarted)
{
    const int64_t firstVideo = measured.firstVideoTime;
    const int64_t firstAudio = measured.firstAudioTime;
    StreamStarts starts;
    if (inputs.video && videoStarted) {
        const int64_t t = inputs.video->frameDuration;
        starts.video = static_cast<int64_t>(VideoStartFrames(firstVideo, firstAudio, t, settings)) * t;
    }
    if (inputs.audio && audioStarted && inputs.audio->AvgBytesPerSec() != 0) {
        const AudioFormat& a = *inputs.audio;
        const uint64_t bytes =
            static_cast<uint64_t>(AudioStartBlocks(firstVideo, firstAudio, a, settings)) * a.BlockAlign();
        starts.audio = static_cast<int64_t>(static_cast<double>(bytes) * 1e7 / a.AvgBytesPerSec());
    }
    return starts;
}

}  // namespace trelvox
