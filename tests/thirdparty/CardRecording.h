// A recording from the simulated card through the stand-in compressors into Trelvox.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>

// Fixes the card's "Audio Capture" pin to the capability of that rate.
HRESULT SelectAudioRate(IBaseFilter* capture, DWORD rate);

// The card's input and how the multiplexer splits its files.
struct CardInput {
    const wchar_t* input = L"480i";
    LONG width = 720, height = 480;
    REFERENCE_TIME frame = 333667;
    DWORD audioRate = 44100;
    DWORD maxFileMegabytes = 0;  // 0: the multiplexer's own setting
};

// What the multiplexer counted, from IMuxConfig::GetCounts after the stop.
struct MuxCounts {
    DWORD videoFrames = 0, audioBuffers = 0, droppedFrames = 0, audioBlocks = 0;
};

// The card's input for `ms`, through the given compressors (null: that stream goes
// uncompressed) into the "Pelkor AVI Mux" writing `base`. Before the compressor's output
// is connected, `audioOutput` (when not null) is set with IAMStreamConfig::SetFormat, as
// the record graph does with the audio format list.
HRESULT RecordCard(const std::wstring& base, IBaseFilter* video, IBaseFilter* audio, const AM_MEDIA_TYPE* audioOutput,
                   DWORD ms, const CardInput& card = {}, MuxCounts* counts = nullptr);
