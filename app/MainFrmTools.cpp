// The card maker's companion programs and the property frames of the graph's parts.
#include "MainFrm.h"

#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "core/CompanionProgram.h"

#include <shellapi.h>

namespace {

constexpr wchar_t kCardFolderTooLong[] =
    L"Zelvan インストールパスが長すぎます。260文字以内のフォルダーを設定してください。";

}  // namespace

void CMainFrame::RegisterToolCommands()
{
    OnCommand(ID_SETTING_UTILITY, [this] { StartCompanionProgram(kSettingUtility); });
    OnCommand(ID_I2C_UTILITY, [this] { StartCompanionProgram(kI2CUtility); });
    OnUpdateRange(ID_I2C_UTILITY, ID_SETTING_UTILITY, [this](FwCmdUI& ui) { ui.Enable(!settings.cardFolder.empty()); });

    // A failing frame shows nothing: a part without pages simply opens none.
    OnCommand(ID_PROPERTIES_CROSSBAR, [this] { engine->ShowCrossbarPages(Handle()); });
    OnCommand(ID_PROPERTIES_CAPTURE, [this] { engine->ShowCaptureFilterPages(Handle()); });
    OnCommand(ID_PROPERTIES_PREVIEW_PIN, [this] { engine->ShowPreviewPinPages(Handle()); });
    OnCommand(ID_PROPERTIES_CAPTURE_PIN, [this] { engine->ShowCapturePinPages(Handle()); });
    OnCommand(ID_PROPERTIES_VIDEO_RENDERER, [this] { engine->ShowVideoRendererPages(Handle()); });
    OnCommand(ID_PROPERTIES_AUDIO_RENDERER, [this] { engine->ShowAudioRendererPages(Handle()); });
    OnCommand(ID_PROPERTIES_MULTIPLEXER, [this] { engine->ShowMultiplexerPages(Handle()); });

    OnUpdateRange(ID_PROPERTIES_CROSSBAR, ID_PROPERTIES_CAPTURE_PIN, [this](FwCmdUI& ui) {
        ui.Enable(engine->State() == engine::kPreviewing || engine->State() == engine::kRecording);
    });
    OnUpdateRange(ID_PROPERTIES_VIDEO_RENDERER, ID_PROPERTIES_AUDIO_RENDERER, [this](FwCmdUI& ui) {
        ui.Enable(engine->State() == engine::kPreviewing ||
                  (engine->State() == engine::kRecording && engine->HasVideoRenderer()));
    });
    OnUpdate(ID_PROPERTIES_MULTIPLEXER, [this](FwCmdUI& ui) { ui.Enable(engine->State() == engine::kRecording); });
}

void CMainFrame::StartCompanionProgram(const wchar_t* program)
{
    const std::optional<std::wstring> path = CompanionProgramPath(settings.cardFolder, program);
    if (!path) {
        FwMessageBox(kCardFolderTooLong, MB_ICONINFORMATION);
        return;
    }
    // A missing program gives no message.
    ShellExecuteW(Handle(), nullptr, path->c_str(), nullptr, settings.cardFolder.c_str(), SW_SHOWNORMAL);
}
