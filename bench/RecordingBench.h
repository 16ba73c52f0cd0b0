// Timed recordings of the benchmark source: through Trelvox, and through the
// platform's AVI Mux and File Writer for comparison.
#pragma once

#include <string>

#include "BenchClock.h"

struct RecordingPlan {
    int videoFrames = 0;
    int audioBuffers = 0;
    bool paced = false;  // the source delivers each sample at its stream time
};

struct RecordingResult {
    RunFigures figures;
    // As the multiplexer counted them (the platform's mux counts none).
    DWORD videoFrames = 0;
    DWORD audioBuffers = 0;
    DWORD droppedFrames = 0;
    // Delivered by the "~Video" and "~Audio" pins (playback cases only).
    DWORD playedFrames = 0;
    DWORD playedAudio = 0;
};

// Mode 0 writes base000.avi, base001.avi, ...; mode 1 writes base.avi.
HRESULT RecordWithTrelvox(DWORD mode, const RecordingPlan& plan, const std::wstring& base, RecordingResult* result);
// With the graph's clock, so that the time-shift pins have a stream time (and the source,
// when paced, its pace); with `playback` the "~" pins feed Sample Grabbers and Null
// Renderers and play from the start at 100 %.
HRESULT RecordWithTrelvoxLive(DWORD mode, const RecordingPlan& plan, const std::wstring& base, bool playback,
                              RecordingResult* result);
HRESULT RecordWithAviDest(const RecordingPlan& plan, const std::wstring& file, RecordingResult* result);
