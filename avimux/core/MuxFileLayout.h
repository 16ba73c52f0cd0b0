// The files of one recording as the recorder sees them, whichever layout the mux mode
// chose: the batches go in, the frame duration may arrive late, and at the end the files
// are finished by the plan and closed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Avi1Writer.h"
#include "FinishPlan.h"
#include "MuxFile.h"
#include "MuxSettings.h"
#include "MuxTypes.h"
#include "SampleRecord.h"

namespace trelvox {

class MuxFileLayout {
public:
    virtual ~MuxFileLayout() = default;

    // Whether the split mode's counted batches apply (else only sizes split).
    virtual bool SplitsByCount() const = 0;
    // One batch of one stream, on the writer thread; S_OK, kFilesFull or a failure.
    virtual HResult Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch) = 0;
    // A frame duration learnt from the samples, before any video was written.
    virtual HResult SetFrameDuration(int64_t frameDuration) = 0;
    // Headers and indexes; a failure leaves its part unfinished and the rest is still done.
    virtual HResult Finish(const FinishPlan& plan) = 0;
    // Closes the files as `ending` says.
    virtual void Close(RecordingEnding ending) = 0;
};

// What a layout is created from, when recording is prepared.
struct LayoutSetup {
    std::string baseName;  // without extension
    CreateMode mode = CreateMode::OpenAlways;
    MuxSettings settings;
    MuxInputs inputs;
    AviRunFigures run;
    CommonIndexes* playbackIndex = nullptr;
};

// The layout of `settings.muxMode`, its files created. `starts` is asked by the AVI 1.0
// file set only. On failure no file the call made stays.
HResult CreateFileLayout(MuxFileSystem& fs, const LayoutSetup& setup, StartsSource starts,
                         std::unique_ptr<MuxFileLayout>* layout);

}  // namespace trelvox
