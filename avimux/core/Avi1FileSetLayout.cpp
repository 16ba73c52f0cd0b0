#include "Avi1FileSetLayout.h"

namespace trelvox {

HResult Avi1FileSetLayout::Create(MuxFileSystem& fs, const LayoutSetup& setup, StartsSource starts)
{
    Avi1SetLayout layout;
    layout.sectorSize = setup.run.sectorSize;
    layout.headerSize = AviHeaderSize(setup.inputs, setup.run.sectorSize);
    layout.inputs = setup.inputs;
    layout.run = setup.run;
    layout.playbackIndex = setup.playbackIndex;
    const HResult hr = files_.Create(fs, setup.baseName, setup.settings.maxFiles, setup.mode, layout);
    if (Failed(hr))
        return hr;
    writer_ = std::make_unique<Avi1Writer>(files_, setup.settings, setup.inputs, std::move(starts));
    return kS_OK;
}

HResult Avi1FileSetLayout::Write(StreamKind stream, std::vector<RecordPtr> records, bool splitBatch)
{
    return writer_->Write(stream, std::move(records), splitBatch);
}

HResult Avi1FileSetLayout::SetFrameDuration(int64_t frameDuration)
{
    return writer_->SetFrameDuration(frameDuration);
}

HResult Avi1FileSetLayout::Finish(const FinishPlan& plan)
{
    return files_.Finish(plan.inputs, plan.run, plan.videoStart, plan.audioStart);
}

void Avi1FileSetLayout::Close(RecordingEnding ending)
{
    switch (ending) {
    case RecordingEnding::Finish:
        files_.Release();
        break;
    case RecordingEnding::Keep:
        files_.Abandon();
        break;
    case RecordingEnding::Discard:
        files_.Discard();
        break;
    }
}

}  // namespace trelvox
