// The record graph: the card's video and audio through the record profile's
// compressors into its multiplexer (writing itself or through a File
// Writer), the statistics grabbers, the audio output format from the audio
// format list, and unless switched off a preview branch.
#pragma once

#include "GraphContext.h"

#include "../profiles/CurrentProfiles.h"

#include <string>

// What the record build hands back besides the preview branch's outcome.
struct RecordOutcome {
    BuildOutcome preview;
    bool previewBranch = false;
    bool runLoadThread = false;
    DWORD priorityClass = 0;  // the record options' class; 0 leaves the priority
};

class RecordGraphBuilder {
public:
    explicit RecordGraphBuilder(const GraphContext& context) : c_(context) {}

    // `fileName` is the recording's full path as the main window chose it.
    HRESULT Build(const BuildSettings& settings, const std::wstring& fileName, RecordOutcome& outcome);

private:
    HRESULT AddMultiplexer(const FilterEntry& mux);
    HRESULT SetFileName(const FilterEntry& mux, const std::wstring& fileName);
    HRESULT RenderVideo(const FilterEntry& compressor);
    HRESULT RenderAudio(const FilterEntry& compressor, bool fromAudioPeer);
    HRESULT ApplyAudioOutputFormat(IBaseFilter* compressor, const std::vector<AudioFormatPair>& formats);
    HRESULT AddCompressor(const FilterEntry& compressor);

    GraphContext c_;
};
