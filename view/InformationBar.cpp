#include "InformationBar.h"

#include "../app/core/StateTexts.h"
#include "../engine/CaptureGraph.h"
#include "../engine/core/SignalFormat.h"
#include "../engine/core/StreamCounters.h"
#include "../profiles/CurrentProfiles.h"
#include "../resources/tavrik/resource.h"
#include "core/InformationTexts.h"

void CInformationBar::Refresh(CCaptureGraph& engine)
{
    if (!IsShown())
        return;
    SetItemText(IDC_INFO_STATE, StateText(engine.State()));
    if (engine.State() == engine::kRecording) {
        ShowRecordingFigures(engine);
    } else {
        SetItemText(IDC_INFO_RECORD_TIME, L"00:00:00");
        SetItemText(IDC_INFO_VIDEO_FRAMES, L"0");
        SetItemText(IDC_INFO_DROPPED_FRAMES, L"0");
    }
    SetItemText(IDC_INFO_RENDERER, RendererText(engine.RendererKind()));
    ShowRendererFigures(engine);
}

void CInformationBar::ShowRecordingFigures(CCaptureGraph& engine)
{
    // One copy under the callback's lock, so the three figures belong together.
    const engine::StreamCounters video = engine.VideoCounters();
    GUID timeFormat{};
    LONGLONG position = 0;
    if (FAILED(engine.GetPosition(timeFormat, position)))
        position = video.lastEnd;
    SetItemText(IDC_INFO_RECORD_TIME, RecordingTimeText(position));
    SetItemText(IDC_INFO_VIDEO_FRAMES, CountText(video.samples));
    engine::SignalFormat input{};
    engine.GetFormatInfo(input);
    SetItemText(IDC_INFO_DROPPED_FRAMES,
                CountText(engine::DroppedFrames(video.firstStart, video.lastEnd, input.frameDuration, video.samples)));
}

void CInformationBar::ShowRendererFigures(CCaptureGraph& engine)
{
    engine::RendererQuality quality;
    if (!engine.GetRendererQuality(quality)) {
        SetItemText(IDC_INFO_RENDERER_DROPPED, L"");
        SetItemText(IDC_INFO_RENDERER_RATE, L"");
        return;
    }
    SetItemText(IDC_INFO_RENDERER_DROPPED, CountText(quality.framesDropped));
    SetItemText(IDC_INFO_RENDERER_RATE, FrameRateText(quality.averageFrameRate));
}

void CInformationBar::ShowRecordProfileNames(const std::wstring& recordProfilePath)
{
    FilterNames names;
    if (FAILED(ReadRecordFilterNames(recordProfilePath, names)))
        names = {L"N/A", L"N/A", L"N/A"};
    SetItemText(IDC_INFO_VIDEO_COMPRESSOR, names.videoCompressor);
    SetItemText(IDC_INFO_AUDIO_COMPRESSOR, names.audioCompressor);
    SetItemText(IDC_INFO_MULTIPLEXER, names.mux);
}
