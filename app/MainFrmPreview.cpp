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
        ui.SetCheck(engine->State() == engine::kPreviewing);
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
        ui.SetCheck(engine->AudioInput() == (ui.Id() == ID_AUDIO_SPDIF ? 1 : 2));
    });

    OnCommand(ID_RENDERER_OVERLAY, [this] { ChangeRenderer(engine::VideoRendererKind::OverlayMixer); });
    OnCommand(ID_RENDERER_VMR7, [this] { ChangeRenderer(engine::VideoRendererKind::Vmr7); });
    OnCommand(ID_RENDERER_VMR9, [this] { ChangeRenderer(engine::VideoRendererKind::Vmr9); });
    OnUpdateRange(ID_RENDERER_VMR7, ID_RENDERER_OVERLAY, [this](FwCmdUI& ui) {
        const engine::VideoRendererKind kind = ui.Id() == ID_RENDERER_OVERLAY ? engine::VideoRendererKind::OverlayMixer
                                               : ui.Id() == ID_RENDERER_VMR7  ? engine::VideoRendererKind::Vmr7
                                                                              : engine::VideoRendererKind::Vmr9;
        ui.Enable(engine->State() != engine::kRecording);
        ui.SetCheck(engine->RendererKind() == kind);
    });

    OnCommand(ID_AUDIO_MUTE, [this] { engine->SetMute(!engine->Mute()); });
    OnUpdate(ID_AUDIO_MUTE, [this](FwCmdUI& ui) {
        ui.Enable(true);
        ui.SetCheck(engine->Mute() != 0);
    });
}

bool CMainFrame::DetectSignalForCommand()
{
    HRESULT hr = engine->StartDetection();
    if (SUCCEEDED(hr)) {
        // Handled inside the wait: the status line shows "detecting".
        PostStateText();
        detectionWait.Run(*engine, [this](MSG& message) { return PreTranslateMessage(message); });
        hr = engine->FinishDetection();
    }
    // Failed or cancelled, the status line leaves "detecting".
    PostStateText();
    if (FAILED(hr))
        ShowEngineFailure(L"信号検出に失敗しました。", hr);
    return hr == S_OK;
}

void CMainFrame::TogglePreview()
{
    if (engine->State() == engine::kPreviewing) {
        engine->StopPreview();
        PostStateText();
        return;
    }
    if (engine->State() == engine::kRecording || engine->State() == engine::kDetecting)
        return;
    if (engine->SignalFormat() == 0 && !DetectSignalForCommand())
        return;
    StartPreview();
}

bool CMainFrame::StartPreview()
{
    // The status line follows whatever comes of it.
    PostStateText();
    if (engine->State() == engine::kIdle) {
        const HRESULT hr = engine->BuildPreview(-1);
        if (FAILED(hr)) {
            engine->TearDown();
            ShowEngineFailure(L"プレビューグラフの構築に失敗しました。", hr);
            return false;
        }
    }
    const HRESULT hr = engine->RunPreview();
    if (FAILED(hr)) {
        engine->TearDown();
        ShowEngineFailure(L"プレビューの開始に失敗しました。", hr);
        return false;
    }
    return true;
}

void CMainFrame::FollowInputChange()
{
    const HRESULT hr = engine->CheckSignalChange();
    if (hr == S_FALSE && DetectSignalForCommand())
        StartPreview();
}

void CMainFrame::ChangeAudioInput(int input)
{
    if (engine->AudioInput() != input)
        engine->SelectAudioInput(input);
}

void CMainFrame::ChangeRenderer(engine::VideoRendererKind kind)
{
    if (SUCCEEDED(engine->SetRendererKind(kind)))
        return;
    // The preview is gone with the failed rebuild.
    PostStateText();
    FwMessageBox(L"レンダラーの変更に失敗しました。", MB_ICONHAND);
}
