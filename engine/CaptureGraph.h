// The capture engine: one filter graph around the Zelvan card for the whole run,
// and the detection, preview or record graph currently built around it. The
// graph builders, the video placement, the statistics, the report file and the
// process load do the work; this object keeps the state, takes the main window's
// inputs through Configure and its operations, and answers its questions.
// Nothing here shows a message: failures come back as HRESULTs.
#pragma once

#include "AudioCaptureSampleGrabberCB.h"
#include "CardI2C.h"
#include "CaptureSetup.h"
#include "CrossbarPath.h"
#include "EngineState.h"
#include "GraphContext.h"
#include "GraphPartPages.h"
#include "MultiplexerFiles.h"
#include "GraphParts.h"
#include "ProcessLoad.h"
#include "RecordingReportFile.h"
#include "RendererQuality.h"
#include "SignalDetectionWindow.h"
#include "SignalFormat.h"
#include "StillFrameStore.h"
#include "StreamCounters.h"
#include "VideoCaptureSampleGrabberCB.h"
#include "VideoImageSampleGrabberCB.h"
#include "VideoPlacement.h"
#include "VideoRendererKind.h"

#include "../profiles/FilterEntry.h"

#include <windows.h>
#include <dshow.h>

#include <memory>
#include <optional>
#include <string>

// A recording the graph ended by itself: Trelvox's EC_ERRORABORT (the failure
// in `param`) or its all-files-full event (param 1).
struct RecordingEndEvent {
    long code = 0;  // 0: none
    LONG_PTR param = 0;
};

class CCaptureGraph {
public:
    // Trelvox's event when every pre-created file of a set is full.
    static constexpr long kEventFilesFull = 0x8001;

    CCaptureGraph();
    ~CCaptureGraph();
    CCaptureGraph(const CCaptureGraph&) = delete;
    CCaptureGraph& operator=(const CCaptureGraph&) = delete;

    // Paths, windows, message ids and the graph registration; before Open and after every settings change.
    void Configure(const CaptureSetup& setup);
    const CaptureSetup& Setup() const { return setup_; }

    // Without the card the lookup's HRESULT comes back and HasCard() is false;
    // the main window then tells the user the card was not found.
    HRESULT Open();
    bool HasCard() const { return parts_.captureFilter != nullptr; }
    engine::EngineState State() const { return state_; }
    // Signal detection, driven by the caller, who waits and may give up: StartDetection
    // runs the detection graph (state 7); PollDetection ends one 100 ms period;
    // FinishDetection stops it and takes the format that stayed stable (S_OK), else S_FALSE.
    HRESULT StartDetection();
    engine::DetectionStep PollDetection();
    HRESULT FinishDetection();
    // True once a detection found a stable input.
    bool SignalDetected() const { return signalDetected_; }
    // -1 builds for SignalFormat().
    HRESULT BuildPreview(int format);
    HRESULT RunPreview();
    HRESULT StopPreview();
    // resumeFlag: the preview ran before the record command and is restarted
    // after the stop (see TakePreviewResume). fileName: the recording's full path.
    HRESULT BuildRecord(int resumeFlag, const std::wstring& fileName);
    // Stamps the report's start time; state 5.
    HRESULT RunRecord();
    // Stamps the end time, stops, collects the statistics when the report file
    // is open, tears down, stops the load thread it started, restores the priority.
    HRESULT StopRecord();
    // Whether the stopped recording's preview is to be restarted; asking clears it.
    // A recording whose build or start failed has none.
    bool TakePreviewResume();
    // Also undoes what the build applied: the raised priority class, and the load
    // thread a record graph started.
    HRESULT TearDown();
    // While previewing: when the decoder reports another input than SignalFormat(),
    // stops the preview for a new detection and returns S_FALSE.
    HRESULT CheckSignalChange();
    // Drains the graph's events. When Trelvox ends a recording itself (disk
    // full, all files full) in state 5 it stops the recording as StopRecord does
    // and returns S_FALSE; LastRecordingEnd() then says why, as it does after a
    // StopRecord that met such an event. The main window finishes as after its
    // stop command: report body, close, preview resume, message.
    HRESULT HandleGraphEvents();
    const RecordingEndEvent& LastRecordingEnd() const { return recordingEnd_; }

    // A running preview is built again with the new renderer.
    HRESULT SetRendererKind(engine::VideoRendererKind kind);
    engine::VideoRendererKind RendererKind() const { return rendererKind_; }
    HRESULT SetMute(int flag);
    int Mute() const { return mute_; }
    // Kept for Open before the card is open; routed through the crossbar once it is.
    HRESULT SelectAudioInput(int input);
    int AudioInput() const { return audioInput_; }

    // Display aspect 0 to 5: Free, 4:3, 4:3LB, 16:9, 16:9PAN, 16:9ZOOM.
    void SetAspectMode(int mode);
    int AspectMode() const { return aspectMode_; }
    // Window scale 0 to 6: free, 25, 50, 75, 100, 150, 200 per cent.
    void SetScaleMode(int mode);
    int ScaleMode() const { return scaleMode_; }
    void PlaceVideo();
    void FitWindow(bool force);
    // Keeps the video area in the aspect ratio while an edge is dragged; true when changed.
    bool ConstrainSizing(int edge, SIZE& area);
    bool GetVideoBoxSize(SIZE& size);
    HRESULT SetFullScreen(bool on);
    bool IsFullScreen();

    // Sets the detected format on the capture filter's preview and capture pins.
    HRESULT ApplyFormatToPins(int format);

    // The decoder's input format, 0 to 5; 0 while no capture filter is open.
    int ReadInputFormat() const;
    // The detected input format, 0 before a detection.
    int SignalFormat() const { return signalFormat_; }
    // SignalFormat() and its row of the input format table.
    int GetFormatInfo(engine::SignalFormat& row) const;

    // False (output untouched) without a renderer's quality interface.
    bool GetRendererQuality(engine::RendererQuality& quality);
    HRESULT GetPosition(GUID& timeFormat, LONGLONG& position);
    // What the video capture callback has counted on the running graph.
    engine::StreamCounters VideoCounters() const;
    // Copies the capture callbacks' figures into the report.
    void CollectStatistics();

    // The recording report (a ".log" beside the recording). OpenReport clears the
    // block and writes the header; an open failure gives the errno as an HRESULT.
    HRESULT OpenReport(const std::wstring& reportPath, const std::wstring& recordingPath);
    // After StopRecord; E_FAIL without an open report file.
    HRESULT WriteReportBody();
    // The failure line, then the file is closed; E_FAIL without an open report file.
    HRESULT WriteReportFailure(const std::wstring& message);
    // Closes the report file after the body; S_FALSE when none was open.
    HRESULT CloseReport();
    const RecordingReport& Report() const { return report_.Block(); }

    // The image callback stores the next two preview frames and tells the notification window.
    HRESULT ArmStillImage();
    const StillFrameStore& StillFrames() const { return *stillFrames_; }
    // The stored pair is used up; the next armed request stores a new one.
    void EmptyStillFrames() { stillFrames_->Empty(); }
    bool HasVideoRenderer() const { return parts_.videoRenderer != nullptr; }

    // The part's property frame (E_FAIL when the part is missing); a part
    // that offers no pages opens no frame. The named operations are the
    // information menu's commands.
    HRESULT ShowPages(GraphPart part, HWND owner);
    HRESULT ShowCrossbarPages(HWND owner) { return ShowPages(GraphPart::Crossbar, owner); }
    HRESULT ShowCaptureFilterPages(HWND owner) { return ShowPages(GraphPart::CaptureFilter, owner); }
    HRESULT ShowPreviewPinPages(HWND owner) { return ShowPages(GraphPart::PreviewPin, owner); }
    HRESULT ShowCapturePinPages(HWND owner) { return ShowPages(GraphPart::CapturePin, owner); }
    HRESULT ShowVideoRendererPages(HWND owner) { return ShowPages(GraphPart::VideoRenderer, owner); }
    HRESULT ShowAudioRendererPages(HWND owner) { return ShowPages(GraphPart::AudioRenderer, owner); }
    HRESULT ShowMultiplexerPages(HWND owner) { return ShowPages(GraphPart::Multiplexer, owner); }

    // The load thread of the main window's command and of the record option.
    bool StartLoadThread() { return load_.StartLoadThread(); }
    void StopLoadThread() { load_.StopLoadThread(); }
    bool LoadThreadRunning() const { return load_.LoadThreadRunning(); }
    // The priority class the tear-down restores, 0 for none.
    DWORD SavedPriorityClass() const { return load_.SavedPriorityClass(); }
    // Whether the last preview build asked for the Infinite Pin Tee.
    bool UsesInfTee() const { return useInfTee_; }

    // The files of the recording Trelvox writes; empty for another multiplexer.
    std::optional<engine::MultiplexerFiles> RecordingFiles() const
    {
        return engine::TrelvoxFilesOf(parts_.multiplexer.Get());
    }

    // The graph as built, for tests to look into; the engine alone changes it.
    IGraphBuilder* Graph() const { return parts_.graph.Get(); }
    ICaptureGraphBuilder2* Builder() const { return parts_.builder.Get(); }
    IBaseFilter* CaptureFilter() const { return parts_.captureFilter.Get(); }
    IBaseFilter* Multiplexer() const { return parts_.multiplexer.Get(); }

private:
    HRESULT BuildDetectionGraph();
    // The first event that ends a recording, or none; every event is consumed.
    RecordingEndEvent DrainGraphEvents();
    GraphContext Context();
    BuildSettings Settings() const;
    // After a successful run: the card configuration file, when the settings ask for it.
    void ApplyCardConfigIfAsked();
    // After a successful build, when the setup asks for it.
    void RegisterBuiltGraph();

    RecordingReportFile report_;
    CaptureSetup setup_;
    GraphParts parts_;
    VideoPlacement placement_{parts_};

    FilterEntry videoDevice_;
    FilterEntry audioDevice_;
    std::unique_ptr<CCrossbarPath> crossbar_;

    engine::VideoRendererKind rendererKind_ = engine::VideoRendererKind::OverlayMixer;
    engine::EngineState state_ = engine::kNotOpened;
    int signalFormat_ = 0;
    int mute_ = 0;
    int aspectMode_ = 0;
    int scaleMode_ = 4;
    int resizing_ = 0;  // 1 while the engine itself resizes the main window
    int audioInput_ = 1;
    bool signalDetected_ = false;
    bool useInfTee_ = false;
    bool resumePreview_ = false;

    ProcessLoad load_;
    std::unique_ptr<CVideoCaptureSampleGrabberCB> videoCallback_;
    std::unique_ptr<CAudioCaptureSampleGrabberCB> audioCallback_;
    std::unique_ptr<CVideoImageSampleGrabberCB> imageCallback_;
    std::unique_ptr<StillFrameStore> stillFrames_;
    RecordingEndEvent recordingEnd_;
    std::unique_ptr<CardI2C> cardI2C_;
    engine::SignalDetectionWindow detection_;
    int detectedFormat_ = 0;  // the format a running detection found stable
    DWORD rotCookie_ = 0;     // 0: no graph in the running object table
};
