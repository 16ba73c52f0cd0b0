// The preview graph: the renderer step (renderer, preview filters or YUV
// transform, audio preview, video window), the Inf Tee on the audio branch
// and the still-image grabber. The record graph uses the renderer step and
// the still-image grabber for its preview branch.
#pragma once

#include "GraphContext.h"

#include "../profiles/FilterEntry.h"

#include <vector>

class PreviewGraphBuilder {
public:
    explicit PreviewGraphBuilder(const GraphContext& context) : c_(context) {}

    // Format -1 builds for the detected format. The outcome takes the preview
    // profile's Inf Tee and priority (both 0 without a readable profile).
    HRESULT Build(const BuildSettings& settings, int format, BuildOutcome& outcome);

    HRESULT RendererStep(const BuildSettings& settings, int format, bool recording, BuildOutcome& outcome);
    HRESULT InsertStillImageGrabber();

private:
    HRESULT RenderThroughMixingRenderer();
    HRESULT InsertPreviewFilters(engine::VideoRendererKind rendererKind, std::vector<FilterEntry>& filters,
                                 bool& trialRun);
    HRESULT InsertYuvTransform(engine::VideoRendererKind rendererKind);
    HRESULT ReplaceAudioFilterWithInfTee();
    HRESULT SetUpVideoWindow(const BuildSettings& settings);
    HRESULT TrialRun();

    GraphContext c_;
};
