// How a stopped recording is finished: the rates its headers claim, the figures they are
// patched with, where each stream starts, and which files stay. Values in, values out.
#pragma once

#include <cstdint>

#include "AviHeader.h"
#include "MediaFormats.h"
#include "MuxSettings.h"
#include "RateCorrection.h"
#include "SetTimeline.h"

namespace trelvox {

enum class RecordingEnding {
    Finish,   // finish, close, delete the unused files
    Keep,     // close every file as it is
    Discard,  // close and delete the files this recording made
};

// A recording refused before the frame duration was known, with nothing queued, leaves no file.
RecordingEnding FinalEnding(RecordingEnding requested, bool frameDurationPending, bool nothingQueued);

// What the run measured by the time it stopped.
struct RunTotals {
    RateMeasurements measured;
    uint32_t maxVideoSample = 0;
    uint32_t maxAudioSample = 0;
};

struct FinishPlan {
    MuxInputs inputs;  // with the corrected rates
    AviRunFigures run;
    uint32_t videoStart = 0;  // dwStart of the first file: frames
    uint32_t audioStart = 0;  // and blocks
};

// `inputs` are the formats the recording ran with, `settings` its working copy.
FinishPlan PlanFinish(const MuxInputs& inputs, const MuxSettings& settings, uint32_t sectorSize,
                      const RunTotals& totals);

// Where each started stream's first chunk plays (100 ns), as the first file's dwStart
// values will say.
StreamStarts PlannedStarts(const MuxInputs& inputs, const MuxSettings& settings, const RateMeasurements& measured,
                           bool videoStarted, bool audioStarted);

}  // namespace trelvox
