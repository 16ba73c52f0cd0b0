// The preview command and what changes the preview's input and output: audio
// input, renderer, mute, and the input formats the decoder reports.
#include "MainFrm.h"

#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"

void CMainFrame::RegisterPreviewCommands()
{
    OnCommand(ID_PREVIEW, [this] { TogglePreview(); });
    OnUpdate(ID_PREVIEW, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetCheck(engine->state == engine::kPreviewing);
    });

    // The input formats only show what the decoder reports.
    OnUpdate(ID_FORMAT_AUTO, [](FwCmdUI& ui) {
        ui.Enable(false);
        ui.SetCheck(true);
    });
    OnUpdateRange(ID_FORMAT_480I, ID_FORMAT_720P, [this](FwCmdUI& ui) {
        ui.Enable(false);
        ui.SetCheck(engine->ReadInputFormat() == static_cast<int>(ui.Id() - ID_FORMAT_AUTO));
    });

    OnCommand(ID_AUDIO_SPDIF, [this] { ChangeAudioInput(1); });
    OnCommand(ID_AUDIO_ANALOG, [this] { ChangeAudioInput(2); });
    OnUpdateRange(ID_AUDIO_SPDIF, ID_AUDIO_ANALOG, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetCheck(engine->audioInput == (ui.Id() == ID_AUDIO_SPDIF ? 1 : 2));
    });

    OnCommand(ID_RENDERER_OVERLAY, [this] { ChangeRenderer(1); });
    OnCommand(ID_RENDERER_VMR7, [this] { ChangeRenderer(2); });
    OnCommand(ID_RENDERER_VMR9, [this] { ChangeRenderer(3); });
    OnUpdateRange(ID_RENDERER_VMR7, ID_RENDERER_OVERLAY, [this](FwCmdUI& ui) {
        const int kind = ui.Id() == ID_RENDERER_OVERLAY ? 1 : ui.Id() == ID_RENDERER_VMR7 ? 2 : 3;
        ui.Enable(engine->state != engine::kRecording);
        ui.SetCheck(engine->rendererKind == kind);
    });

    OnCommand(ID_AUDIO_MUTE, [this] { engine->SetMute(!engine->mute); });
    OnUpdate(ID_AUDIO_MUTE, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetCheck(engine->mute != 0);
    });
}

bool CMainFrame::DetectSignalForCommand()
{
    // Handled inside the detection wait: the status line shows "detecting".
    PostStateText();
    const HRESULT hr = engine->DetectSignal();
    if (FAILED(hr)) {
        ShowEngineFailure(L"信号検出に失敗しました。", hr);
        return false;
    }
    if (hr == S_FALSE) {
        // Cancelled: quietly, but the status line leaves "detecting".
        PostStateText();
        return false;
    }
    return true;
}

void CMainFrame::TogglePreview()
{
    if (engine->state == engine::kPreviewing) {
        engine->StopPreview();
    } else if (engine->state == engine::kRecording || engine->state == engine::kDetecting) {
        return;
    } else {
        if (engine->signalFormat == 0 && !DetectSignalForCommand())
            return;
        if (engine->state == engine::kIdle) {
            const HRESULT hr = engine->BuildPreview(-1);
            if (FAILED(hr)) {
                engine->TearDown();
                ShowEngineFailure(L"プレビューグラフの構築に失敗しました。", hr);
                return;
            }
        }
        const HRESULT hr = engine->RunPreview();
        if (FAILED(hr)) {
            engine->TearDown();
            ShowEngineFailure(L"プレビューの開始に失敗しました。", hr);
            return;
        }
    }
    PostStateText();
}

void CMainFrame::ChangeAudioInput(int input)
{
    if (engine->audioInput == input)
        return;
    if (engine->state != engine::kNotOpened && FAILED(engine->SelectAudioInput(input)))
        return;
    engine->audioInput = input;
}

void CMainFrame::ChangeRenderer(int kind)
{
    if (FAILED(engine->SetRendererKind(kind)))
        FwMessageBox(L"レンダラーの変更に失敗しました。", MB_ICONHAND);
}
