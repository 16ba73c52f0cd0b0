#include "OpenDmlFileLayout.h"

#include "FileNaming.h"

namespace trelvox {

HResult OpenDmlFileLayout::Create(MuxFileSystem& fs, const LayoutSetup& setup)
{
    Avi2Layout layout;
    layout.sectorSize = setup.run.sectorSize;
    layout.inputs = setup.inputs;
    layout.run = setup.run;
    layout.zeroFillJunk = setup.settings.zeroFillJunk != 0;
    layout.playbackIndex = setup.playbackIndex;
    return writer_.Create(fs, SingleFileName(setup.baseName), setup.mode, layout);
}

// An OpenDML file is split into RIFFs by size only.
HResult OpenDmlFileLayout::Write(StreamKind stream, std::vector<RecordPtr> records, bool)
{
    return writer_.Write(stream, records);
}

HResult OpenDmlFileLayout::SetFrameDuration(int64_t frameDuration)
{
    return writer_.SetFrameDuration(frameDuration);
}

HResult OpenDmlFileLayout::Finish(const FinishPlan& plan)
{
    return writer_.Finish(plan.inputs, plan.run, plan.videoStart, plan.audioStart);
}

void OpenDmlFileLayout::Close(RecordingEnding ending)
{
    if (ending == RecordingEnding::Discard)
        writer_.Discard();
    else
        writer_.Close();
}

}  // namespace trelvox
