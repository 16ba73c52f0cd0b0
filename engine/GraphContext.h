// What the graph builders work with: the graph's parts, the main window's
// inputs, the report block, the video placement and the engine's callbacks.
#pragma once

#include "AudioCaptureSampleGrabberCB.h"
#include "CaptureSetup.h"
#include "GraphParts.h"
#include "RecordingReport.h"
#include "StillFrameStore.h"
#include "VideoCaptureSampleGrabberCB.h"
#include "VideoImageSampleGrabberCB.h"
#include "VideoPlacement.h"
#include "VideoRendererKind.h"

struct GraphContext {
    GraphParts& parts;
    const CaptureSetup& setup;
    RecordingReport& report;
    VideoPlacement& placement;
    CVideoCaptureSampleGrabberCB& videoCallback;
    CAudioCaptureSampleGrabberCB& audioCallback;
    CVideoImageSampleGrabberCB& imageCallback;
    StillFrameStore& stillFrames;
};

// The engine's settings a build reads.
struct BuildSettings {
    engine::VideoRendererKind rendererKind = engine::VideoRendererKind::OverlayMixer;
    int mute = 0;
    int aspectMode = 0;
    int signalFormat = 0;
};

// What a build hands back to the engine.
struct BuildOutcome {
    int useInfTee = 0;
    DWORD priorityClass = 0;  // 0 leaves the process priority as it is
};
