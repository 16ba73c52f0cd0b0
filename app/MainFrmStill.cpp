// Still images: the still image command arms the engine's image callback; the
// still-image message then turns the two stored frames into a file or a clipboard
// bitmap.
#include "MainFrm.h"

#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "SaveStillImage.h"
#include "core/OutputNames.h"
#include "core/StillRequest.h"

namespace {

constexpr wchar_t kNoImageFolder[] = L"静止画保存場所が設定されていません。設定画面で設定してください。";

}  // namespace

void CMainFrame::RegisterStillCommands()
{
    OnCommand(ID_STILL_IMAGE, [this] { TakeStill(); });
    OnUpdate(ID_STILL_IMAGE, [this](FwCmdUI& ui) { ui.Enable(CanTakeStill()); });
}

bool CMainFrame::CanTakeStill()
{
    const bool showsVideo =
        engine->State() == engine::kPreviewing || (engine->State() == engine::kRecording && engine->HasVideoRenderer());
    return showsVideo && engine->StillFrames().Remaining() == StillFrameStore::kFrames;
}

void CMainFrame::TakeStill()
{
    if (CanTakeStill())
        engine->ArmStillImage();
}

void CMainFrame::OnStillImageStored()
{
    const StillFrameStore& frames = engine->StillFrames();
    // A message left over from a graph since torn down finds no full store.
    if (frames.Remaining() != 0 || !frames.Header()) {
        engine->EmptyStillFrames();
        return;
    }
    if (settings.imagePath.empty()) {
        FwMessageBox(kNoImageFolder, MB_ICONINFORMATION);
        engine->EmptyStillFrames();
        return;
    }
    const BITMAPINFOHEADER& header = *frames.Header();
    const int frameHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const StillPlan plan =
        PlanStill(settings, header.biWidth, frameHeight, engine->AspectMode(), engine->SignalFormat());
    // Only a file takes a name (and a serial number).
    NameResult target = ImageTarget(settings, L"");
    if (!settings.imageToClipboard) {
        const NameResult name = MakeImageName(settings, plan.nameWidth, plan.nameHeight, LocalTimeNow());
        target = name.ok() ? ImageTarget(settings, name.text) : name;
    }
    if (target.ok())
        SaveStillImage(frames, plan.crop, plan.output, engine->SignalFormat(), plan.matrix, target.text,
                       settings.imageFileFormat);
    engine->EmptyStillFrames();
    // Told after the store is emptied: the message box's loop may let the next request in.
    if (!target.ok())
        FwMessageBox(NameFaultMessage(target.fault), MB_ICONINFORMATION);
}
