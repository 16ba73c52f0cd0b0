// The capture engine: one filter graph around the Zelvan card for the whole run,
// and the detection, preview or record graph currently built around it.
#pragma once

#include "AudioCaptureSampleGrabberCB.h"
#include "CrossbarPath.h"
#include "LoadThread.h"
#include "RecordingReport.h"
#include "VideoCaptureSampleGrabberCB.h"
#include "VideoImageSampleGrabberCB.h"

#include "../profiles/FilterEntry.h"

#include <windows.h>
#include <dshow.h>
#include "DShowUuids.h"
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

class CCaptureGraph {
public:
    enum State {
        kNotOpened = 0,
        kIdle = 1,
        kPreviewBuilt = 2,
        kRecordBuilt = 3,
        kPreviewing = 4,
        kRecording = 5,
        kDetectionBuilt = 6,
        kDetecting = 7,
    };

    CCaptureGraph();
    ~CCaptureGraph();
    CCaptureGraph(const CCaptureGraph&) = delete;
    CCaptureGraph& operator=(const CCaptureGraph&) = delete;

    HRESULT Open();
    // 0 detected, 1 cancelled, negative on failure.
    HRESULT DetectSignal();
    // -1 builds for `signalFormat`.
    HRESULT BuildPreview(int format);
    HRESULT RunPreview();
    HRESULT StopPreview();
    HRESULT TearDown();
    HRESULT CheckSignalChange();
    HRESULT HandleGraphEvents();

    // Video renderer: 1 Overlay Mixer, 2 VMR-7, 3 VMR-9.
    HRESULT SetRendererKind(int kind);
    HRESULT SetMute(int flag);
    HRESULT SelectAudioInput(int input);

    // Display aspect 0 to 5: Free, 4:3, 4:3LB, 16:9, 16:9PAN, 16:9ZOOM.
    void SetAspectMode(int mode);
    // Window scale 0 to 6: free, 25, 50, 75, 100, 150, 200 per cent.
    void SetScaleMode(int mode);
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

    // Average frame rate, sync offset and its deviation, frames drawn and dropped,
    // jitter; false (outputs untouched) without a renderer's quality interface.
    bool GetRendererQuality(int figures[6]);
    HRESULT GetPosition(GUID& timeFormat, LONGLONG& position);
    // Copies the capture callbacks' figures into the report.
    void CollectStatistics();

    // The image callback stores the next two preview frames and tells the notification window.
    HRESULT ArmStillImage();
    StillFrameStore& StillFrames() { return *stillFrames_; }

    LoadThread& LoadThreadRecord() { return loadThread_; }
    IGraphBuilder* Graph() const { return graph_.Get(); }
    IBaseFilter* CaptureFilter() const { return captureFilter_.Get(); }
    ICaptureGraphBuilder2* Builder() const { return builder_.Get(); }
    CVideoCaptureSampleGrabberCB& VideoCallback() { return *videoCallback_; }
    CAudioCaptureSampleGrabberCB& AudioCallback() { return *audioCallback_; }

    RecordingReport report;

    int rendererKind = 1;
    int state = kNotOpened;
    int signalFormat = 0;
    int mute = 0;
    int aspectMode = 0;
    int scaleMode = 4;
    int resizing = 0;
    int audioInput = 1;
    int signalDetected = 0;
    int registerInRot = 0;
    int useInfTee = 0;
    int resumePreview = 0;
    int loadThreadWasRunning = 0;
    DWORD savedPriorityClass = NORMAL_PRIORITY_CLASS;
    int applyCardConfig = 0;
    int cardConfigWait = 0;
    volatile int cancelDetection = 0;

    HWND viewWindow = nullptr;
    HWND notifyWindow = nullptr;
    UINT graphEventMessage = 0;
    UINT stillImageMessage = 0;

    std::wstring recordProfilePath;
    std::wstring deviceProfilePath;
    std::wstring previewProfilePath;
    std::wstring cardFolder;
    std::wstring cardConfigFile;

private:
    HRESULT BuildDetectionGraph();
    HRESULT WaitForSignal();
    HRESULT RendererStep(int format, bool recording, DWORD& priorityClass);
    HRESULT RenderThroughMixingRenderer();
    HRESULT InsertPreviewFilters(std::vector<FilterEntry>& filters, bool& trialRun);
    HRESULT InsertYuvTransform();
    HRESULT ReplaceAudioFilterWithInfTee();
    HRESULT InsertStillImageGrabber();
    HRESULT TakeGraphControls();
    HRESULT SetUpVideoWindow();
    void TrialRun();
    void ApplyPriorityClass(DWORD priorityClass);
    void RestorePriorityClass();
    void LeaveFullScreen();
    void ReattachVideoWindow();
    HRESULT AddFilter(const CLSID& clsid, const wchar_t* name, IBaseFilter** filter);

    Microsoft::WRL::ComPtr<ICaptureGraphBuilder2> builder_;
    Microsoft::WRL::ComPtr<IGraphBuilder> graph_;
    Microsoft::WRL::ComPtr<IBaseFilter> captureFilter_;
    Microsoft::WRL::ComPtr<IVideoWindow> videoWindow_;
    Microsoft::WRL::ComPtr<IMediaControl> mediaControl_;
    Microsoft::WRL::ComPtr<IMediaSeeking> mediaSeeking_;
    Microsoft::WRL::ComPtr<IBaseFilter> videoRenderer_;
    Microsoft::WRL::ComPtr<IBaseFilter> audioRenderer_;
    Microsoft::WRL::ComPtr<IQualProp> quality_;
    Microsoft::WRL::ComPtr<IMediaEventEx> mediaEvents_;
    Microsoft::WRL::ComPtr<IBaseFilter> multiplexer_;

    FilterEntry videoDevice_;
    FilterEntry audioDevice_;
    std::unique_ptr<CCrossbarPath> crossbar_;

    LoadThread loadThread_;
    std::unique_ptr<CVideoCaptureSampleGrabberCB> videoCallback_;
    std::unique_ptr<CAudioCaptureSampleGrabberCB> audioCallback_;
    std::unique_ptr<CVideoImageSampleGrabberCB> imageCallback_;
    std::unique_ptr<StillFrameStore> stillFrames_;
};
