// Mux mode 0: the numbered AVI 1.0 files, written by Avi1Writer.
#pragma once

#include <memory>

#include "Avi1FileSet.h"
#include "Avi1Writer.h"
#include "MuxFileLayout.h"

namespace trelvox {

class Avi1FileSetLayout : public MuxFileLayout {
public:
    // Creates the settings' count of files; on failure none of those it made stays.
    HResult Create(MuxFileSystem& fs, const LayoutSetup& setup, StartsSource starts);

    bool SplitsByCount() const override { return true; }
    HResult Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch) override;
    HResult SetFrameDuration(int64_t frameDuration) override;
    HResult Finish(const FinishPlan& plan) override;
    void Close(RecordingEnding ending) override;

private:
    Avi1FileSet files_;
    std::unique_ptr<Avi1Writer> writer_;
};

}  // namespace trelvox
