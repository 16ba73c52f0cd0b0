// Recording: the start command, the stop command, and a recording the multiplexer
// ended itself.
#include "MainFrm.h"

#include "../engine/core/SignalFormat.h"
#include "../framework/App.h"
#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "RecordFileDialog.h"
#include "core/OutputNames.h"

void CMainFrame::RegisterRecordCommands()
{
    OnCommand(ID_RECORD_START, [this] { StartRecording(); });
    OnUpdate(ID_RECORD_START, [this](FwCmdUI& ui) {
        ui.Enable(engine->State() != engine::kRecording && engine->State() != engine::kDetecting);
    });
    OnCommand(ID_RECORD_STOP, [this] { StopCommand(); });
    OnUpdate(ID_RECORD_STOP, [this](FwCmdUI& ui) {
        ui.Enable(engine->State() == engine::kRecording || engine->State() == engine::kDetecting);
    });
}

bool CMainFrame::RecordProfileExists() const
{
    return GetFileAttributesW(settings.recordProfile.Full().c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CMainFrame::StartRecording()
{
    if (engine->State() == engine::kRecording || engine->State() == engine::kDetecting)
        return;
    if (InputNeedsDetection() && !DetectSignalForCommand())
        return;
    if (!RecordProfileExists()) {
        FwMessageBox(L"録画設定がされていません。先に設定する必要があります。", MB_ICONINFORMATION);
        RunSettingsCommand();
        if (!RecordProfileExists())
            return;
    }

    std::wstring recordPath, reportPath;
    if (!ChooseRecordTargets(recordPath, reportPath))
        return;

    int previewRan = 0;
    if (engine->State() == engine::kPreviewing) {
        engine->StopPreview();
        previewRan = 1;
    }
    if (settings.useRecordingReport)
        engine->OpenReport(reportPath, recordPath);
    HRESULT hr = engine->BuildRecord(previewRan, recordPath);
    if (FAILED(hr)) {
        FailRecording(L"キャプチャーグラフの構築に失敗しました。", hr);
        return;
    }
    NoteRecordingInProgress(reportPath);
    hr = engine->RunRecord();
    if (FAILED(hr)) {
        FailRecording(L"キャプチャーの開始に失敗しました。", hr);
        return;
    }
    PostStateText();
}

bool CMainFrame::InputNeedsDetection() const
{
    if (!engine->SignalDetected())
        return true;
    return engine->State() != engine::kPreviewing && engine->ReadInputFormat() != engine->SignalFormat();
}

bool CMainFrame::ChooseRecordTargets(std::wstring& recordPath, std::wstring& reportPath)
{
    engine::SignalFormat input{};
    engine->GetFormatInfo(input);
    for (;;) {
        const NameResult name = MakeRecordName(settings, input.width, input.height, input.index, LocalTimeNow());
        if (!name.ok()) {
            FwMessageBox(NameFaultMessage(name.fault), MB_ICONINFORMATION);
            return false;
        }
        const std::optional<NameResult> record =
            ChooseRecordFile(name.text, settings, FwApp::Current()->Profile(), Handle());
        if (!record)
            return false;
        // Nothing is stopped or opened for a path that would have to be cut.
        const NameResult report =
            settings.useRecordingReport ? ReportPath(settings.defaultRecordPath, name.text) : NameResult{};
        const NameFault fault = !record->ok() ? record->fault : report.fault;
        if (fault != NameFault::None) {
            FwMessageBox(NameFaultMessage(fault), MB_ICONINFORMATION);
            return false;
        }
        recordPath = record->text;
        reportPath = report.text;
        const NameClash clash = ClashWithInterruptedRecording(recordPath);
        if (clash != NameClash::NextName)
            return clash == NameClash::None;
    }
}

void CMainFrame::FailRecording(const wchar_t* text, HRESULT hr)
{
    engine->TearDown();
    ClearRecordingNote();
    wchar_t message[160];
    swprintf(message, std::size(message), L"%ls(%08x)", text, static_cast<unsigned>(hr));
    engine->WriteReportFailure(message);
    // The preview stopped for the recording: the status line must not keep saying it runs.
    PostStateText();
    FwMessageBox(message, MB_ICONHAND);
}

void CMainFrame::FinishRecording()
{
    engine->StopRecord();
    WriteReportAndResumePreview();
    PostStateText();
    if (engine->LastRecordingEnd().code)
        TellRecordingEnd();
}

// What follows every stop: the report's body, and the preview that ran before.
void CMainFrame::WriteReportAndResumePreview()
{
    ClearRecordingNote();
    engine->WriteReportBody();
    engine->CloseReport();
    if (engine->TakePreviewResume())
        TogglePreview();
}

void CMainFrame::StopCommand()
{
    if (engine->State() == engine::kDetecting) {
        detectionWait.Cancel();
        return;
    }
    if (engine->State() == engine::kRecording) {
        FinishRecording();
        return;
    }
    if (engine->TakePreviewResume())
        TogglePreview();
    PostStateText();
}

void CMainFrame::OnGraphEvents()
{
    if (engine->HandleGraphEvents() != S_FALSE)
        return;
    // The engine has stopped the recording Trelvox ended: finish as the stop command does.
    WriteReportAndResumePreview();
    PostStateText();
    TellRecordingEnd();
}

void CMainFrame::TellRecordingEnd()
{
    const RecordingEndEvent& end = engine->LastRecordingEnd();
    if (end.code == CCaptureGraph::kEventFilesFull)
        ShowEngineFailure(L"録画ファイルがすべて一杯になったため、録画を停止しました。", end.code);
    else
        ShowEngineFailure(L"録画中にエラーが発生したため、録画を停止しました。", static_cast<HRESULT>(end.param));
}
