// Mux mode 1: one OpenDML file, written by Avi2Writer.
#pragma once

#include "Avi2Writer.h"
#include "MuxFileLayout.h"

namespace trelvox {

class OpenDmlFileLayout : public MuxFileLayout {
public:
    // Creates "<base name>.avi"; on failure a file this call made is deleted.
    HResult Create(MuxFileSystem& fs, const LayoutSetup& setup);

    bool SplitsByCount() const override { return false; }
    HResult Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch) override;
    HResult SetFrameDuration(int64_t frameDuration) override;
    HResult Finish(const FinishPlan& plan) override;
    void Close(RecordingEnding ending) override;

private:
    Avi2Writer writer_;
};

}  // namespace trelvox
